// Preloaded into a program (LD_PRELOAD) to find when its first frame is
// presented: the first SDL_GL_SwapWindow is passed on to SDL, then the
// CLOCK_MONOTONIC time at its return is written in nanoseconds to the file
// named by FIRST_SWAP_FILE and the process ends at once with status 0.
// Nothing else in the program changes, so any program using SDL's GL swap
// can be timed alike.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct SDL_Window;

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    using SwapFunction = void (*)(SDL_Window*);
    static SwapFunction real = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real != nullptr) real(window);
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* path = std::getenv("FIRST_SWAP_FILE");
    if (path != nullptr) {
        char line[32];
        int length = std::snprintf(line, sizeof line, "%lld\n",
                                   static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ssize_t written = write(fd, line, static_cast<std::size_t>(length));
            (void)written;
            close(fd);
        }
    }
    // No exit handlers, no teardown: only the time to the first frame is wanted.
    _exit(0);
}

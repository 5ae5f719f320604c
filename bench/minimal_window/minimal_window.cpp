// The least an SDL2 + OpenGL program does to show a window: the same
// framebuffer the player asks for (compatibility context, double buffered,
// RGBA 8888, 24-bit depth), 480x240, no swap interval.
//
//   minimal_window          presents one white frame and exits
//   minimal_window pace     clears to white and presents, then sleeps 20 ms,
//                           until the window is closed or SIGTERM arrives
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstring>

int main(int argc, char** argv) {
    bool pace = argc > 1 && std::strcmp(argv[1], "pace") == 0;
    SDL_SetMainReady();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("minimal", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 480, 240,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (window == nullptr) return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) return 1;
    SDL_GL_SetSwapInterval(0);
    bool running = true;
    do {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            if (event.type == SDL_QUIT) running = false;
        glViewport(0, 0, 480, 240);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        if (pace) SDL_Delay(20);
    } while (pace && running);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

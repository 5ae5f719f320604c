#include "platform/sdl/audio_trace.h"

#ifdef QUINTRELL_TRACE_LATENCY

#include <SDL.h>
#include <time.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::int64_t nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Fixed-size logs: nothing is allocated on the audio thread or per frame.
template <typename Entry, std::size_t Size>
struct Log {
    std::array<Entry, Size> entries{};
    std::atomic<std::size_t> count{0};
    void add(const Entry& entry) {
        std::size_t at = count.load(std::memory_order_relaxed);
        if (at >= Size) return;
        entries[at] = entry;
        count.store(at + 1, std::memory_order_release);
    }
};

struct KeyEvent {
    std::int64_t ns;
    std::uintptr_t key;
};
struct FirstEvent {
    std::int64_t ns;
    std::uint32_t handle;
};
struct ScopeEvent {
    std::int64_t swapNs;
    std::int64_t leftNs;
};
struct Callback {
    std::uint64_t framesHanded;  // after this callback
    std::int64_t ns;
};

Log<KeyEvent, 1024> keys;
Log<FirstEvent, 1024> firsts;
Log<ScopeEvent, 20000> scopes;

// Recent callbacks, written by the audio thread and read by the capture,
// both under the device lock.
std::array<Callback, 64> recent{};
std::size_t recentNext = 0;
std::uint32_t lastRenderedHandle = 0;
std::int64_t pendingLeftNs = 0;  // main thread only

void writeTrace() {
    const char* path = std::getenv("QUINTRELL_TRACE_FILE");
    std::FILE* file = std::fopen(path != nullptr ? path : "latency_trace.txt", "w");
    if (file == nullptr) return;
    for (std::size_t i = 0; i < keys.count.load(std::memory_order_acquire); ++i)
        std::fprintf(file, "key %lld %lu\n", static_cast<long long>(keys.entries[i].ns),
                     static_cast<unsigned long>(keys.entries[i].key));
    for (std::size_t i = 0; i < firsts.count.load(std::memory_order_acquire); ++i)
        std::fprintf(file, "first %lld %u\n", static_cast<long long>(firsts.entries[i].ns), firsts.entries[i].handle);
    for (std::size_t i = 0; i < scopes.count.load(std::memory_order_acquire); ++i)
        std::fprintf(file, "scope %lld %lld\n", static_cast<long long>(scopes.entries[i].swapNs),
                     static_cast<long long>(scopes.entries[i].leftNs));
    std::fclose(file);
}

struct TraceWriter {
    TraceWriter() { std::atexit(writeTrace); }
} traceWriter;

}  // namespace

namespace audio_trace {

void keyDown(std::uintptr_t key) {
    if (key >= '0' && key <= '9') keys.add({nowNs(), key});
}

void callbackDone(std::uint32_t handle, std::size_t renderedFrames, std::uint64_t framesHanded) {
    std::int64_t now = nowNs();
    recent[recentNext] = {framesHanded, now};
    recentNext = (recentNext + 1) % recent.size();
    if (renderedFrames > 0 && handle != lastRenderedHandle) {
        lastRenderedHandle = handle;
        firsts.add({now, handle});
    }
}

void captured(std::int64_t end) {
    // The callback that handed frame end - 1 is the oldest one whose running
    // total reached end.
    std::int64_t best = 0;
    std::uint64_t bestFrames = ~std::uint64_t{0};
    for (const Callback& callback : recent) {
        if (callback.ns != 0 && static_cast<std::int64_t>(callback.framesHanded) >= end &&
            callback.framesHanded < bestFrames) {
            bestFrames = callback.framesHanded;
            best = callback.ns;
        }
    }
    pendingLeftNs = best;
}

}  // namespace audio_trace

// The instrumented build links with --wrap=SDL_GL_SwapWindow, so that every
// present passes here: a frame counts as drawn once its swap has returned.
extern "C" void __real_SDL_GL_SwapWindow(SDL_Window* window);
extern "C" void __wrap_SDL_GL_SwapWindow(SDL_Window* window) {
    __real_SDL_GL_SwapWindow(window);
    if (pendingLeftNs != 0) {
        scopes.add({nowNs(), pendingLeftNs});
        pendingLeftNs = 0;
    }
}

#endif

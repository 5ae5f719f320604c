// What one frame costs on Mesa's software renderer: the program's whole
// renderFrame against a frame that only clears and presents, on the real
// platform layer and a real 480x240 window (needs an X server; run under
// Xvfb). CPU time is the whole process's, since the renderer rasterises on
// threads of its own.
//
//   DISPLAY=:N SDL_AUDIODRIVER=dummy frame_bench [--benchmark_repetitions=5 ...]
//
// The renderFrame benchmark also counts heap allocations over all of its
// timed frames (after warm-up): any made by the program's own code is an
// error, and the process then exits with status 3.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "bench/frame/allocation_counter.h"
#include "platform/audio_library.h"
#include "player/player.h"
#include "render/frame.h"

namespace {

constexpr int warmUpFrames = 50;
bool ownAllocationSeen = false;

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void renderFrames(benchmark::State& state) {
    for (int i = 0; i < warmUpFrames; ++i) renderFrame();
    allocation_counter::start();
    for (auto _ : state) renderFrame();
    allocation_counter::Counts counts = allocation_counter::stop();
    if (counts.operatorNew + counts.ownMalloc != 0) ownAllocationSeen = true;
    state.counters["frames"] = static_cast<double>(state.iterations());
    state.counters["own_allocations"] = static_cast<double>(counts.operatorNew + counts.ownMalloc);
    state.counters["library_mallocs_per_frame"] =
        static_cast<double>(counts.libraryMalloc) / static_cast<double>(state.iterations());
}

void clearAndSwap(benchmark::State& state) {
    for (auto _ : state) {
        glViewport(0, 0, thePlayer->width, thePlayer->height);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(thePlayer->hdc);
    }
}

}  // namespace

BENCHMARK(renderFrames)->Name("render_frame")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(clearAndSwap)->Name("clear_and_swap")->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The counter must see an allocation made here, or a zero from it means nothing.
bool counterWorks() {
    allocation_counter::start();
    int* probe = new int(7);
    benchmark::DoNotOptimize(probe);
    void* raw = std::malloc(16);
    benchmark::DoNotOptimize(raw);
    allocation_counter::Counts counts = allocation_counter::stop();
    std::free(raw);
    delete probe;
    return counts.operatorNew == 1 && counts.ownMalloc == 1;
}

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!counterWorks()) {
        std::fprintf(stderr, "frame_bench: the allocation counter does not see allocations\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // The program's own start-up, without its frame loop.
    if (!createMainWindow(0, 0)) {
        std::fprintf(stderr, "frame_bench: no window (is DISPLAY set to a running X server?)\n");
        return 1;
    }
    thePlayer = new Player();
    ShowWindow(mainWindow, SW_SHOW);
    pumpMessages();
    windowProc(mainWindow, WM_SIZE, 0, MAKELPARAM(requestedClientWidth, requestedClientHeight));
    // The music would otherwise render on SDL's audio thread alongside and be
    // counted in the process's CPU time; the scope draws the last captured
    // samples all the same.
    BASS_Stop();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (ownAllocationSeen) {
        std::fprintf(stderr, "frame_bench: the program's drawing allocated memory\n");
        return 3;
    }
    return 0;
}

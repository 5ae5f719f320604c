// The cost of one frame's drawing layers against the recording OpenGL, with
// the record cleared after every frame as long soak runs do. Not a test: run
// it by hand to see what 200,000 frames of such a run will cost.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/fake/fake_platform.h"
#include "player/player.h"
#include "render/layers.h"
#include "tests/support/recording_gl.h"

namespace {

std::unique_ptr<Player> blankPlayer() {
    fake::reset();
    fake::script().getDcFails = true;
    auto player = std::make_unique<Player>();
    player->width = 480;
    player->height = 240;
    player->discImage.assign(64 * 64 * 4, 1);
    player->playIcon.assign(64 * 64 * 4, 2);
    player->nextIcon.assign(64 * 64 * 4, 3);
    player->pauseIcon.assign(64 * 64 * 4, 4);
    player->hoverNext = true;
    fillArcPhases(*player);
    return player;
}

// Argument 1: calls recorded; 0: only the state tracked, to show what the recording itself costs.
void layersOfOneFrame(benchmark::State& state) {
    auto player = blankPlayer();
    recording_gl::reset();
    const bool recording = state.range(0) != 0;
    std::size_t calls = 0;
    for (auto _ : state) {
        fake::clearCalls();
        recording_gl::reset();
        recording_gl::setRecording(recording);
        drawScope(*player);
        drawSlider(*player);
        drawArcs(*player, 0.0f, 1.0f);
        drawArcs(*player, 480.0f, -1.0f);
        drawButtons(*player);
        calls = recording_gl::calls().size();
        benchmark::DoNotOptimize(calls);
    }
    state.counters["gl_calls_per_frame"] = static_cast<double>(calls);
}
BENCHMARK(layersOfOneFrame)->Arg(1)->Arg(0);

}  // namespace

BENCHMARK_MAIN();

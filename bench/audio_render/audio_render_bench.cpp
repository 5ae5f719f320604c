// What one second of music costs on the CPU: the library's render callback
// (the work SDL's audio thread does for one 512-frame buffer: render, apply
// the amplification, record the history) against libopenmpt's own
// openmpt_module_read_interleaved_stereo on the same module with the same
// settings. Run on the test tune, and on each of the program's songs once
// they exist.
//
//   audio_render_bench [--benchmark_repetitions=5 ...]
//
// Each result carries cpu_per_music_s: CPU seconds per second of music
// (the library's over libopenmpt's is the overhead of the library's path).
#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/audio_library.h"
#include "platform/sdl/audio_internal.h"
#include "tests/audio_library/mod_fixture.h"

namespace {

constexpr int rate = 44100;
constexpr std::size_t bufferFrames = 512;
constexpr DWORD programFlags = BASS_MUSIC_RAMPS | BASS_MUSIC_SINCINTER;
constexpr float startAmplification = 32.5f;  // the program's start volume
constexpr std::int32_t startGainMillibel = -374;  // round(2000 log10(32.5 / 50))

void addMusicCounter(benchmark::State& state) {
    double musicSeconds = static_cast<double>(state.iterations()) * bufferFrames / rate;
    state.counters["cpu_per_music_s"] =
        benchmark::Counter(musicSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The library's path, called directly with its output stopped so that SDL's
// thread renders nothing alongside.
void libraryCallback(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    if (!BASS_Init(-1, rate, 0, nullptr, nullptr)) {
        state.SkipWithError("BASS_Init failed");
        return;
    }
    BASS_Stop();
    HMUSIC handle = BASS_MusicLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), programFlags, 0);
    if (handle == 0) {
        BASS_Free();
        state.SkipWithError("BASS_MusicLoad failed");
        return;
    }
    BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, startAmplification);
    BASS_ChannelPlay(handle, FALSE);
    std::vector<std::int16_t> buffer(bufferFrames * 2);
    for (auto _ : state) {
        audio_internal::renderCallback(nullptr, reinterpret_cast<std::uint8_t*>(buffer.data()),
                                      static_cast<int>(bufferFrames * 4));
        benchmark::DoNotOptimize(buffer.data());
        if (BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED) {
            state.PauseTiming();
            BASS_ChannelPlay(handle, TRUE);
            state.ResumeTiming();
        }
    }
    addMusicCounter(state);
    BASS_Free();
}

// libopenmpt alone, set up as the library sets up a module for the program's flags.
void openmptRead(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    const openmpt_module_initial_ctl ctls[] = {{"play.at_end", "stop"}, {"dither", "0"}, {nullptr, nullptr}};
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                                                nullptr, ctls);
    if (module == nullptr) {
        state.SkipWithError("libopenmpt refused the module");
        return;
    }
    openmpt_module_set_repeat_count(module, 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 8);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, -1);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, startGainMillibel);
    std::vector<std::int16_t> buffer(bufferFrames * 2);
    for (auto _ : state) {
        std::size_t got = openmpt_module_read_interleaved_stereo(module, rate, bufferFrames, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
        if (got < bufferFrames) {
            state.PauseTiming();
            openmpt_module_set_position_seconds(module, 0.0);
            state.ResumeTiming();
        }
    }
    addMusicCounter(state);
    openmpt_module_destroy(module);
}

void registerPair(const std::string& name, std::vector<std::uint8_t> bytes) {
    auto shared = std::make_shared<std::vector<std::uint8_t>>(std::move(bytes));
    benchmark::RegisterBenchmark(("library_callback/" + name).c_str(),
                                 [shared](benchmark::State& state) { libraryCallback(state, *shared); });
    benchmark::RegisterBenchmark(("openmpt_read/" + name).c_str(),
                                 [shared](benchmark::State& state) { openmptRead(state, *shared); });
}

}  // namespace

int main(int argc, char** argv) {
    // The library itself reads no settings; SDL picks its driver from this,
    // and no sound card is needed to measure rendering.
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    registerPair("test_tune", mod_fixture::makeModule({}));
    std::vector<std::filesystem::path> songs;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(QUINTRELL_SONGS_DIR, error))
        if (entry.path().extension() == ".it") songs.push_back(entry.path());
    std::sort(songs.begin(), songs.end());
    for (const auto& song : songs) {
        std::ifstream file(song, std::ios::binary);
        registerPair(song.stem().string(),
                     std::vector<std::uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

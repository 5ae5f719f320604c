// The audio library on SDL's dummy and disk drivers with modules built by
// mod_fixture.h (and the program's own songs when they exist).
//
// Two ways of driving it: with the output running, SDL's thread renders in
// real time as it would for the program; with the output stopped, the test
// calls the render callback itself, one buffer at a time, so that positions,
// gains and the end of a module can be checked to the sample.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>  // the reference render the library's output is held against

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio_library.h"
#include "platform/sdl/audio_internal.h"
#include "tests/audio_library/mod_fixture.h"
#include "tests/audio_library/rendered_buffers.h"

namespace {

using Samples = std::vector<std::int16_t>;
using namespace std::chrono_literals;

constexpr DWORD programFlags = BASS_MUSIC_RAMPS | BASS_MUSIC_SINCINTER;
constexpr int rate = 44100;
constexpr std::size_t bufferFrames = 512;
constexpr DWORD noModule = static_cast<DWORD>(-1);

std::vector<std::uint8_t> longTune() { return mod_fixture::makeModule({}); }           // 7.68 s
std::vector<std::uint8_t> shortTune() { return mod_fixture::makeModule({1, 4, 1}); }   // 4 ticks, 80 ms

HMUSIC load(const std::vector<std::uint8_t>& bytes, DWORD flags = programFlags) {
    return BASS_MusicLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), flags, 0);
}

// What the program's load flags must amount to, written out against
// libopenmpt directly: sinc interpolation, default ramping, one pass, no dither.
// Read in the device's buffer size: libopenmpt mixes in pieces that end where
// a read ends, and other pieces round the last bit differently.
Samples referenceRender(const std::vector<std::uint8_t>& bytes, std::size_t maxFrames) {
    const openmpt_module_initial_ctl ctls[] = {{"play.at_end", "stop"}, {"dither", "0"}, {nullptr, nullptr}};
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                                                nullptr, ctls);
    if (module == nullptr) return {};
    openmpt_module_set_repeat_count(module, 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 8);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, -1);
    Samples out(maxFrames * 2);
    std::size_t frames = 0;
    while (frames < maxFrames) {
        std::size_t got = openmpt_module_read_interleaved_stereo(module, rate, std::min(maxFrames - frames, bufferFrames),
                                                                 out.data() + frames * 2);
        if (got == 0) break;
        frames += got;
    }
    openmpt_module_destroy(module);
    out.resize(frames * 2);
    return out;
}

Samples slice(const Samples& s, std::size_t firstFrame, std::size_t frames) {
    return Samples(s.begin() + static_cast<std::ptrdiff_t>(firstFrame * 2),
                   s.begin() + static_cast<std::ptrdiff_t>((firstFrame + frames) * 2));
}

bool allZero(const Samples& s) {
    return std::all_of(s.begin(), s.end(), [](std::int16_t v) { return v == 0; });
}

// Equal (within tolerance), or a message naming the first stereo frame that differs.
testing::AssertionResult sameFrames(const Samples& actual, const Samples& expected, int tolerance = 0) {
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << "frame counts differ: " << actual.size() / 2 << " vs expected "
                                           << expected.size() / 2;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (std::abs(actual[i] - expected[i]) > tolerance)
            return testing::AssertionFailure() << "frame " << i / 2 << (i % 2 ? " right" : " left") << ": "
                                               << actual[i] << ", expected " << expected[i];
    }
    return testing::AssertionSuccess();
}

void useDriver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }

// The output running on the dummy driver: SDL's thread renders in real time.
class RunningOutput : public testing::Test {
protected:
    void SetUp() override {
        useDriver("dummy");
        ASSERT_TRUE(BASS_Init(-1, rate, 0, nullptr, nullptr));
    }
    void TearDown() override { BASS_Free(); }
};

// The output stopped: SDL's thread renders nothing, the test renders buffers itself.
class StoppedOutput : public RunningOutput {
protected:
    void SetUp() override {
        RunningOutput::SetUp();
        ASSERT_TRUE(BASS_Stop());
    }
    static Samples render(std::size_t buffers) { return renderedBuffers(buffers, bufferFrames); }
};

TEST(AudioLibraryInit, FailsWithoutAUsableDriverAndThenRefusesEveryCall) {
    useDriver("nonexistent");
    EXPECT_FALSE(BASS_Init(-1, rate, 0, nullptr, nullptr));
    auto tune = longTune();
    EXPECT_EQ(load(tune), 0u);
    EXPECT_FALSE(BASS_Stop());
    EXPECT_FALSE(BASS_Start());
    EXPECT_FALSE(BASS_Free());

    useDriver("dummy");
    EXPECT_FALSE(BASS_Init(3, rate, 0, nullptr, nullptr)) << "only the default device (-1) exists";
    ASSERT_TRUE(BASS_Init(-1, rate, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Init(-1, rate, 0, nullptr, nullptr)) << "a second initialisation";
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free()) << "freeing twice";
    ASSERT_TRUE(BASS_Init(-1, rate, 0, nullptr, nullptr)) << "initialising again after a free";
    EXPECT_TRUE(BASS_Free());
}

TEST_F(RunningOutput, BadModuleBytesGiveHandleZero) {
    auto tune = longTune();
    auto headerCut = tune;
    headerCut.resize(600);  // ends inside the sample table, before the signature
    std::vector<std::uint8_t> random(8192);
    std::mt19937 generator(12345);
    for (auto& b : random) b = static_cast<std::uint8_t>(generator());
    std::vector<std::uint8_t> zeros(4096, 0);
    const std::uint8_t oneByte = 0;

    struct Case {
        const char* name;
        BOOL fromMemory;
        const void* bytes;
        QWORD offset;
        DWORD length;
    };
    const Case cases[] = {
        {"null pointer", TRUE, nullptr, 0, 4096},
        {"zero length", TRUE, tune.data(), 0, 0},
        {"one byte", TRUE, &oneByte, 0, 1},
        {"header cut short", TRUE, headerCut.data(), 0, static_cast<DWORD>(headerCut.size())},
        {"random bytes", TRUE, random.data(), 0, static_cast<DWORD>(random.size())},
        {"all zeros", TRUE, zeros.data(), 0, static_cast<DWORD>(zeros.size())},
        {"offset past the module start", TRUE, tune.data(), 1, static_cast<DWORD>(tune.size() - 1)},
        {"not from memory", FALSE, tune.data(), 0, static_cast<DWORD>(tune.size())},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BASS_MusicLoad(c.fromMemory, c.bytes, c.offset, c.length, programFlags, 0), 0u) << c.name;

    // The library is still fine afterwards.
    HMUSIC handle = load(tune);
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(BASS_ChannelPlay(handle, FALSE));
}

TEST_F(RunningOutput, HandlesGrowAndStaleOnesAreRefusedByEveryCall) {
    auto tune = longTune();
    HMUSIC first = load(tune);
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(BASS_MusicFree(first));
    HMUSIC second = load(tune);
    ASSERT_GT(second, first);
    HMUSIC third = load(tune);  // replaces the second without a free
    ASSERT_GT(third, second);
    ASSERT_TRUE(BASS_ChannelPlay(third, FALSE));

    for (HMUSIC stale : {HMUSIC{0}, first, second, third + 1}) {
        std::vector<std::uint8_t> buffer(480, 0x55);
        const std::pair<const char*, std::function<DWORD()>> calls[] = {
            {"BASS_ChannelPlay", [&] { return DWORD(BASS_ChannelPlay(stale, FALSE)); }},
            {"BASS_ChannelPause", [&] { return DWORD(BASS_ChannelPause(stale)); }},
            {"BASS_ChannelIsActive", [&] { return BASS_ChannelIsActive(stale); }},
            {"BASS_ChannelSetAttribute", [&] { return DWORD(BASS_ChannelSetAttribute(stale, BASS_ATTRIB_MUSIC_AMPLIFY, 10)); }},
            {"BASS_MusicFree", [&] { return DWORD(BASS_MusicFree(stale)); }},
        };
        for (const auto& [name, call] : calls) EXPECT_EQ(call(), 0u) << name << " with handle " << stale;
        EXPECT_EQ(BASS_ChannelGetData(stale, buffer.data(), 480), noModule) << "handle " << stale;
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0; }))
            << "capture with handle " << stale << " is not zeroed";
    }
    // None of that disturbed the live module.
    EXPECT_EQ(BASS_ChannelIsActive(third), BASS_ACTIVE_PLAYING);
    EXPECT_FALSE(BASS_ChannelSetAttribute(third, 0x101, 10)) << "an attribute that does not exist";
}

TEST_F(StoppedOutput, PauseHoldsThePositionAndPlayResumesFromIt) {
    auto tune = longTune();
    const Samples reference = referenceRender(tune, 10 * bufferFrames);
    ASSERT_EQ(reference.size(), 10 * bufferFrames * 2);

    HMUSIC handle = load(tune);
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(allZero(render(2))) << "a module nobody played yet renders nothing";
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING);
    Samples before = render(4);
    ASSERT_TRUE(BASS_ChannelPause(handle));
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PAUSED);
    EXPECT_TRUE(allZero(render(30))) << "paused output is silent";
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PAUSED);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING);
    Samples after = render(6);

    EXPECT_TRUE(sameFrames(before, slice(reference, 0, 4 * bufferFrames))) << "a fresh module starts at its beginning";
    EXPECT_TRUE(sameFrames(after, slice(reference, 4 * bufferFrames, 6 * bufferFrames))) << "resumed after a pause";
}

TEST_F(StoppedOutput, AmplificationScalesTheOutputFromTheNextBuffer) {
    auto tune = longTune();
    const std::size_t buffers = 8;
    const Samples unity = referenceRender(tune, buffers * bufferFrames);
    struct Case {
        const char* name;
        float amplification;
        double gain;
    };
    const Case cases[] = {
        {"program's full volume", 65.0f, 1.3},
        {"program's start volume", 32.5f, 0.65},
        {"unity", 50.0f, 1.0},
        {"quiet", 5.0f, 0.1},
        {"largest", 100.0f, 2.0},
        {"beyond the largest", 150.0f, 2.0},
    };
    for (const auto& c : cases) {
        HMUSIC handle = load(tune);
        ASSERT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, c.amplification)) << c.name;
        ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
        Samples out = render(buffers);
        double worst = 0;
        std::size_t worstAt = 0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            // The gain goes through whole millibels: allow that rounding (under 0.06 %) plus a step of 16-bit rounding.
            double error = std::abs(out[i] - unity[i] * c.gain) - 0.001 * std::abs(unity[i] * c.gain);
            if (error > worst) worst = error, worstAt = i;
        }
        EXPECT_LE(worst, 1.5) << c.name << " (" << c.amplification << "): sample " << worstAt << " is " << out[worstAt]
                              << ", expected about " << unity[worstAt] * c.gain;
        BASS_MusicFree(handle);
    }
}

TEST_F(StoppedOutput, AmplificationZeroIsDigitalSilenceWhileTheMusicGoesOn) {
    auto tune = longTune();
    const Samples unity = referenceRender(tune, 12 * bufferFrames);
    for (float silent : {0.0f, -4.0f, std::numeric_limits<float>::quiet_NaN()}) {
        HMUSIC handle = load(tune);
        ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
        Samples first = render(3);
        ASSERT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, silent));
        Samples muted = render(5);
        ASSERT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, 50.0f));
        Samples back = render(4);
        EXPECT_TRUE(sameFrames(first, slice(unity, 0, 3 * bufferFrames))) << "amplification " << silent;
        EXPECT_TRUE(allZero(muted)) << "amplification " << silent;
        EXPECT_TRUE(sameFrames(back, slice(unity, 8 * bufferFrames, 4 * bufferFrames)))
            << "amplification " << silent << ": the music did not advance under silence";
        BASS_MusicFree(handle);
    }
}

TEST_F(StoppedOutput, ModuleStopsOnceItsLastFrameIsHandedOverAndNotWhilePaused) {
    auto tune = shortTune();
    const Samples whole = referenceRender(tune, 1 << 20);
    ASSERT_GT(whole.size(), 0u);
    const std::size_t frames = whole.size() / 2;
    const std::size_t buffersWithMusic = (frames + bufferFrames - 1) / bufferFrames;

    HMUSIC paused = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(paused, FALSE));
    render(1);
    ASSERT_TRUE(BASS_ChannelPause(paused));
    render(3 * buffersWithMusic);
    EXPECT_EQ(BASS_ChannelIsActive(paused), BASS_ACTIVE_PAUSED) << "a paused module never ends";

    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    Samples played;
    std::size_t buffers = 0;
    while (BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING && buffers < 10 * buffersWithMusic) {
        Samples one = render(1);
        played.insert(played.end(), one.begin(), one.end());
        ++buffers;
    }
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(buffers, buffersWithMusic) << "the module lasts " << frames << " frames";
    ASSERT_GE(played.size(), whole.size());
    EXPECT_TRUE(sameFrames(slice(played, 0, frames), whole)) << "every frame of the module was handed over";
    EXPECT_TRUE(allZero(slice(played, frames, played.size() / 2 - frames))) << "silence after the end";

    EXPECT_FALSE(BASS_ChannelPause(handle)) << "pausing an ended module";
    EXPECT_FALSE(BASS_ChannelPlay(handle, FALSE)) << "resuming an ended module";
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_ChannelPlay(handle, TRUE)) << "a restart plays it from the beginning";
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING);
    // A seek keeps the mixer's filter state, so the restart may differ from a fresh start in the last bit.
    EXPECT_TRUE(sameFrames(render(1), slice(whole, 0, bufferFrames), 2));
}

// Polls until pred holds or the time is up; the dummy driver plays in real time.
bool within(std::chrono::milliseconds limit, const std::function<bool()>& pred) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pred()) return true;
        std::this_thread::sleep_for(2ms);
    }
    return pred();
}

TEST_F(RunningOutput, CaptureShowsTheMusicWhilePlayingAndZerosWithoutAModule) {
    Samples capture(240, 0x5555);
    EXPECT_EQ(BASS_ChannelGetData(0, capture.data(), 480), noModule);
    EXPECT_TRUE(allZero(capture)) << "no module loaded";

    auto tune = longTune();
    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    DWORD result = 0;
    EXPECT_TRUE(within(2000ms, [&] {
        result = BASS_ChannelGetData(handle, capture.data(), 480);
        return result == 480 && !allZero(capture);
    })) << "no sound captured while playing; last result " << result;

    // A capture at an odd length gives whole frames.
    EXPECT_EQ(BASS_ChannelGetData(handle, capture.data(), 479), 476u);

    ASSERT_TRUE(BASS_MusicFree(handle));
    capture.assign(240, 0x5555);
    EXPECT_EQ(BASS_ChannelGetData(handle, capture.data(), 480), noModule);
    EXPECT_TRUE(allZero(capture)) << "module freed";
}

TEST_F(RunningOutput, ShortModuleEndsOnItsOwnAndALongOneKeepsPlaying) {
    auto tune = shortTune();
    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    EXPECT_TRUE(within(3000ms, [&] { return BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED; }))
        << "an 80 ms module still reports " << BASS_ChannelIsActive(handle) << " after 3 s";

    auto longer = longTune();
    handle = load(longer);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING);
}

// The program's way of changing tracks, pausing, setting the volume and
// reading the oscilloscope, all while SDL's thread renders: the test the
// ThreadSanitizer build is run on.
TEST_F(RunningOutput, TrackChangesPausesAndCapturesWhilePlaying) {
    const std::vector<std::uint8_t> tunes[] = {longTune(), shortTune(), mod_fixture::makeModule({2, 16, 3})};
    HMUSIC handle = 0;
    Samples capture(240);
    for (int change = 0; change < 40; ++change) {
        ASSERT_TRUE(BASS_Stop());
        if (handle != 0) {
            EXPECT_TRUE(BASS_MusicFree(handle));
        }
        handle = load(tunes[change % 3]);
        ASSERT_NE(handle, 0u) << "change " << change;
        BASS_Start();
        EXPECT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, float(change % 66)));
        EXPECT_TRUE(BASS_ChannelPlay(handle, FALSE));
        bool playing = true;
        for (int frame = 0; frame < 8; ++frame) {
            EXPECT_EQ(BASS_ChannelGetData(handle, capture.data(), 480), 480u);
            DWORD active = BASS_ChannelIsActive(handle);
            if (playing) {
                EXPECT_TRUE(active == BASS_ACTIVE_PLAYING || active == BASS_ACTIVE_STOPPED) << active;
            } else {
                EXPECT_EQ(active, BASS_ACTIVE_PAUSED);
            }
            if (frame % 3 == 2 && active != BASS_ACTIVE_STOPPED) {
                playing = !playing;
                EXPECT_TRUE(playing ? BASS_ChannelPlay(handle, FALSE) : BASS_ChannelPause(handle));
            }
            BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, float((change * 7 + frame) % 66));
            std::this_thread::sleep_for(3ms);
        }
    }
}

// The disk driver writes every buffer SDL takes from the library to a file:
// after a pause the music in it must go on exactly where it stopped.
TEST(AudioLibraryDisk, PausedMusicResumesWhereItStoppedInTheDeviceOutput) {
    std::string path = testing::TempDir() + "audio_library_disk_output.raw";
    std::filesystem::remove(path);
    useDriver("disk");
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    ASSERT_TRUE(BASS_Init(-1, rate, 0, nullptr, nullptr));
    auto tune = longTune();
    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(BASS_ChannelPause(handle));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(BASS_Free());

    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    Samples written;
    std::int16_t pair[2];
    while (file.read(reinterpret_cast<char*>(pair), sizeof pair)) written.insert(written.end(), pair, pair + 2);

    // Keep only frames with sound, noting the longest silent run inside the music.
    Samples sounding;
    std::size_t run = 0, longestInside = 0;
    for (std::size_t f = 0; f < written.size() / 2; ++f) {
        if (written[f * 2] == 0 && written[f * 2 + 1] == 0) {
            ++run;
            continue;
        }
        if (!sounding.empty()) longestInside = std::max(longestInside, run);
        run = 0;
        sounding.push_back(written[f * 2]);
        sounding.push_back(written[f * 2 + 1]);
    }
    Samples reference = referenceRender(tune, sounding.size() / 2);
    Samples referenceSounding;
    for (std::size_t f = 0; f < reference.size() / 2; ++f)
        if (reference[f * 2] != 0 || reference[f * 2 + 1] != 0)
            referenceSounding.insert(referenceSounding.end(), {reference[f * 2], reference[f * 2 + 1]});

    EXPECT_GE(sounding.size() / 2, std::size_t(rate / 4)) << "too little music reached the device";
    EXPECT_GE(longestInside, std::size_t(rate / 10)) << "no pause is visible in the device output";
    std::size_t compared = std::min(sounding.size(), referenceSounding.size()) / 2;
    EXPECT_TRUE(sameFrames(slice(sounding, 0, compared), slice(referenceSounding, 0, compared)));
    std::filesystem::remove(path);
}

// The program's own songs, once the tool that writes them has run.
TEST_F(StoppedOutput, EverySongLoadsAndSounds) {
    std::vector<std::filesystem::path> songs;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(QUINTRELL_SONGS_DIR, error))
        if (entry.path().extension() == ".it") songs.push_back(entry.path());
    if (songs.empty()) GTEST_SKIP() << "no songs in " << QUINTRELL_SONGS_DIR << " yet";
    std::sort(songs.begin(), songs.end());
    for (const auto& song : songs) {
        std::ifstream file(song, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        HMUSIC handle = load(bytes);
        ASSERT_NE(handle, 0u) << song;
        ASSERT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, 32.5f));
        ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
        Samples seconds = render(4 * rate / bufferFrames);
        EXPECT_FALSE(allZero(seconds)) << song << " is silent for its first four seconds";
        EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING) << song << " ended within four seconds";
        BASS_MusicFree(handle);
    }
}

}  // namespace

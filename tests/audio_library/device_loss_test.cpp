// The output device going away under the library (unplugged headphones, a
// sound server restarted): the library must notice from the calls the program
// makes every frame, stay silent but error-free while no device can be opened,
// try again a few times a second, and carry on with the same module from the
// position it had reached once a device opens again.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
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

HMUSIC load(const std::vector<std::uint8_t>& bytes) {
    return BASS_MusicLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), programFlags, 0);
}

bool allZero(const Samples& s) {
    return std::all_of(s.begin(), s.end(), [](std::int16_t v) { return v == 0; });
}

bool within(std::chrono::milliseconds limit, const std::function<bool()>& pred) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pred()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return pred();
}

// One frame of the program's own polling: the oscilloscope capture and the
// end-of-track check. Returns the capture.
Samples pollLikeAFrame(HMUSIC handle, DWORD* captured = nullptr, DWORD* active = nullptr) {
    Samples capture(240, 0x5555);
    DWORD got = BASS_ChannelGetData(handle, capture.data(), 480);
    DWORD state = BASS_ChannelIsActive(handle);
    if (captured) *captured = got;
    if (active) *active = state;
    return capture;
}

class DeviceLoss : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(BASS_Init(-1, rate, 0, nullptr, nullptr));
    }
    void TearDown() override {
        audio_internal::simulateDeviceLoss(0);  // no scripted failure leaks into the next test
        BASS_Free();
    }

    // The output stopped, as the program has it between BASS_Stop and
    // BASS_Start: the test renders buffers itself, to the sample.
    static Samples render(std::size_t buffers) { return renderedBuffers(buffers, bufferFrames); }
};

TEST_F(DeviceLoss, MusicGoesOnFromWhereItWasOnceADeviceOpensAgain) {
    auto tune = mod_fixture::makeModule({});
    constexpr std::size_t before = 40, after = 40;  // buffers; 0.46 s each side, well inside the 7.7 s tune

    ASSERT_TRUE(BASS_Stop());
    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    Samples expected = render(before + after);
    ASSERT_FALSE(allZero(expected));
    ASSERT_TRUE(BASS_MusicFree(handle));

    handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    Samples heard = render(before);

    audio_internal::simulateDeviceLoss(2);
    DWORD captured = 0, active = 0;
    Samples capture = pollLikeAFrame(handle, &captured, &active);
    EXPECT_EQ(captured, 480u);
    EXPECT_TRUE(allZero(capture)) << "nothing can be heard while no device is open";
    EXPECT_EQ(active, BASS_ACTIVE_PLAYING) << "a lost device must not end the track";

    // Two opens fail, the third succeeds: a few times a second means well
    // within two seconds, and not on the very next frame.
    auto lostAt = std::chrono::steady_clock::now();
    bool back = within(2000ms, [&] { return !allZero(pollLikeAFrame(handle)); });
    auto lostFor = std::chrono::steady_clock::now() - lostAt;
    ASSERT_TRUE(back) << "no device opened again within 2 s";
    EXPECT_GE(lostFor, 300ms) << "two failing opens should take more than one retry interval";
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING);

    Samples rest = render(after);
    heard.insert(heard.end(), rest.begin(), rest.end());
    ASSERT_EQ(heard.size(), expected.size());
    std::size_t firstDiff = std::mismatch(heard.begin(), heard.end(), expected.begin()).first - heard.begin();
    EXPECT_EQ(firstDiff, heard.size()) << "the music differs from an uninterrupted render at frame " << firstDiff / 2
                                       << " (the loss came at frame " << before * bufferFrames << ")";
}

TEST_F(DeviceLoss, WithNoDeviceEveryCallStillWorksAndTheOutputResumesByItself) {
    auto tune = mod_fixture::makeModule({});
    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    ASSERT_TRUE(within(2000ms, [&] { return !allZero(pollLikeAFrame(handle)); })) << "no music before the loss";

    audio_internal::simulateDeviceLoss(1000000);  // no device comes back until the test says so
    pollLikeAFrame(handle);
    std::this_thread::sleep_for(600ms);  // a couple of retries fail meanwhile
    DWORD captured = 0, active = 0;
    EXPECT_TRUE(allZero(pollLikeAFrame(handle, &captured, &active)));
    EXPECT_EQ(captured, 480u);
    EXPECT_EQ(active, BASS_ACTIVE_PLAYING);

    // A whole track change, a pause and a volume change, as the program makes
    // them, all succeed without a device.
    EXPECT_TRUE(BASS_Stop());
    EXPECT_TRUE(BASS_MusicFree(handle));
    handle = load(tune);
    ASSERT_NE(handle, 0u) << "a module loads while no device is open";
    EXPECT_TRUE(BASS_Start());
    EXPECT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, 32.5f));
    EXPECT_TRUE(BASS_ChannelPlay(handle, FALSE));
    EXPECT_TRUE(BASS_ChannelPause(handle));
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PAUSED);
    EXPECT_TRUE(BASS_ChannelPlay(handle, FALSE));

    audio_internal::simulateDeviceLoss(0);  // a device is there again
    EXPECT_TRUE(within(2000ms, [&] { return !allZero(pollLikeAFrame(handle)); }))
        << "the output did not start again by itself once a device could be opened";
    EXPECT_EQ(BASS_ChannelIsActive(handle), BASS_ACTIVE_PLAYING);
}

TEST_F(DeviceLoss, LibraryCanBeFreedAndInitialisedAgainWhileTheDeviceIsLost) {
    auto tune = mod_fixture::makeModule({});
    HMUSIC handle = load(tune);
    ASSERT_TRUE(BASS_ChannelPlay(handle, FALSE));
    audio_internal::simulateDeviceLoss(1000000);
    pollLikeAFrame(handle);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Init(-1, rate, 0, nullptr, nullptr)) << "the scripted failing opens apply to the start-up too";
    audio_internal::simulateDeviceLoss(0);
    EXPECT_TRUE(BASS_Init(-1, rate, 0, nullptr, nullptr));
    handle = load(tune);
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(BASS_ChannelPlay(handle, FALSE));
    EXPECT_TRUE(within(2000ms, [&] { return !allZero(pollLikeAFrame(handle)); }));
}

}  // namespace

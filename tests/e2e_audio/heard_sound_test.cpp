// The real program on a private X server with SDL's disk audio driver: what
// it hands to the sound device, after each thing a user does, compared with
// the modules rendered here the way the program should render them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "tests/e2e/harness.h"
#include "tests/e2e_audio/sound.h"

namespace {

using namespace e2e;
using namespace e2e_audio;

const std::string title = "- Quintrell - Chiptunes - 2012 -";
constexpr auto startTimeout = 15s;  // start-up decodes pictures and loads music
constexpr auto soundTimeout = 10s;  // the disk driver writes in about real time

// The same library renders both sides with the same settings, so the device's
// output should equal the reference to the sample; one step of slack keeps a
// rounding difference in a future libopenmpt from reading as a wrong track.
constexpr int tolerance = 1;
// Long enough to tell one module's start from any other stretch of music.
constexpr std::size_t fingerprintFrames = framesIn(0.05);
// How much of the music is compared sample by sample once it has been found.
constexpr std::size_t checkedFrames = framesIn(0.4);
// Far longer than one device buffer (512 frames), far shorter than a pause
// the test holds; the first seconds of the tracks used have no such gap.
constexpr std::size_t pauseFrames = framesIn(0.3);
constexpr double referenceSeconds = 10.0;

// Where a module's frame `moduleFrame` was heard in the output.
struct Alignment {
    std::size_t outputFrame = 0;
    std::size_t moduleFrame = 0;
    std::size_t moduleFrameAt(std::size_t outputAt) const { return outputAt - outputFrame + moduleFrame; }
};

// Button centres and a row through the volume wedge, in window coordinates of the 480 x 240 client.
constexpr int buttonRow = 120;
constexpr int previousX = 170;
constexpr int playPauseX = 240;
constexpr int nextX = 310;
constexpr int wedgeRow = 192;
constexpr int wedgeLeftX = 190;
constexpr int wedgeRightX = 290;

// The renderer's master gain for the slider at its start (0.5: amplification
// 32.5 of a unity 50) and at its right edge (1: amplification 65), in
// millibel: 2000 log10(a / 50). Full is twice the start's amplitude.
constexpr int startGain = -374;
constexpr int fullGain = 228;

class HeardSound : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(playerPath().empty()) << "pass --player PATH";
        ASSERT_TRUE(display_.ok()) << display_.error();
        const std::string name =
            std::string("audio_") + testing::UnitTest::GetInstance()->current_test_info()->name();
        soundPath_ = artifactPath(name + ".raw");
        std::filesystem::remove(soundPath_);
        EnvironmentChanges environment = playerEnvironment(display_);
        environment["SDL_AUDIODRIVER"] = "disk";
        environment["SDL_DISKAUDIOFILE"] = soundPath_;
        player_ = std::make_unique<PlayerProcess>(name, environment);
        ASSERT_TRUE(player_->started());
        const auto window = display_.findWindow(title, startTimeout);
        ASSERT_TRUE(window) << "no window shown; program " << player_->waitForExit(0ms) << ", output:\n"
                            << player_->output();
        window_ = *window;
    }

    Sound heard() const { return readRaw(soundPath_); }

    std::size_t framesHeard() const {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(soundPath_, error);
        return error ? 0 : static_cast<std::size_t>(bytes / 4);
    }

    // Reads the output again and again until `found` gives an answer.
    template <typename Find>
    auto waitFor(Find found) const -> decltype(found(Sound{})) {
        const auto deadline = std::chrono::steady_clock::now() + soundTimeout;
        for (;;) {
            const Sound sound = heard();
            if (auto answer = found(sound)) return answer;
            if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(50ms);
        }
    }

    // The start of `moduleName` heard at or after output frame `from`, once
    // `checkedFrames` of it have been written.
    std::optional<Alignment> waitForStartOf(const std::string& moduleName, std::size_t from) const {
        const Sound& expected = reference(moduleName, startGain, referenceSeconds);
        const std::optional<std::size_t> lead = firstSound(expected, 0);
        if (!lead) return std::nullopt;
        return waitFor([&](const Sound& sound) -> std::optional<Alignment> {
            const auto at = findExcerpt(sound, from, expected, *lead, fingerprintFrames, tolerance);
            if (!at || sound.frames() < *at + checkedFrames) return std::nullopt;
            return Alignment{*at, *lead};
        });
    }

    // For a failure message: which tracks' starts the output holds after `from`.
    std::string startsHeardAfter(std::size_t from) const {
        static const char* const tracks[] = {"glass_orbit", "mr_quillop",      "tin_lantern",
                                             "circuit_storm", "odd_notion", "build_and_break",
                                             "nebular",      "grey_tune",  "bright_tune"};
        const Sound sound = heard();
        std::string found;
        for (const char* track : tracks) {
            const Sound& expected = reference(track, startGain, referenceSeconds);
            const auto lead = firstSound(expected, 0);
            if (!lead) continue;
            if (const auto at = findExcerpt(sound, from, expected, *lead, fingerprintFrames, tolerance)) {
                found += std::string(found.empty() ? "" : ", ") + track + " at frame " + std::to_string(*at);
            }
        }
        return "starts heard after frame " + std::to_string(from) + ": " + (found.empty() ? "none" : found) +
               "; " + std::to_string(sound.frames()) + " frames in " + soundPath_;
    }

    // Waits until the output holds `frames` more frames after `from`.
    Sound waitForFramesAfter(std::size_t from, std::size_t frames) const {
        const auto enough = waitFor([&](const Sound& sound) -> std::optional<Sound> {
            if (sound.frames() < from + frames) return std::nullopt;
            return sound;
        });
        return enough ? *enough : heard();
    }

    // A synchronous pointer move waits for the pointer to change place, and
    // hangs when it is already there: the play/pause button sits at the
    // screen's centre, where the server starts the pointer. Coming in from
    // the pixel beside the target always moves it.
    bool pressAt(int x, int y) const {
        return display_.moveMouse(window_, x + 1, y) && display_.moveMouse(window_, x, y) &&
               display_.click(window_, 1);
    }

    VirtualDisplay display_;
    std::unique_ptr<PlayerProcess> player_;
    Window window_ = 0;
    std::string soundPath_;
};

TEST_F(HeardSound, FirstTrackPlaysFromItsStartAtHalfVolumeUntilEscape) {
    const auto onset = waitFor([&](const Sound& sound) -> std::optional<std::size_t> {
        const auto at = firstSound(sound, 0);
        if (!at || sound.frames() < *at + framesIn(1.5)) return std::nullopt;
        return at;
    });
    ASSERT_TRUE(onset) << "not 1.5 s of sound came out; " << framesHeard() << " frames in " << soundPath_;
    ASSERT_TRUE(display_.key(window_, "Escape"));
    const ExitStatus status = player_->waitForExit(2s);
    ASSERT_TRUE(status.finished && !status.signalled && status.code == 0) << status;

    // Everything after the leading silence is the first track from its first
    // sound, at the start volume, up to the moment the program ended.
    const Sound sound = heard();
    const Sound& expected = reference("glass_orbit", startGain, referenceSeconds);
    const auto lead = firstSound(expected, 0);
    ASSERT_TRUE(lead);
    const std::size_t played = std::min(sound.frames() - *onset, expected.frames() - *lead);
    ASSERT_GE(played, framesIn(1.5));
    const Comparison comparison = compare(sound, *onset, expected, *lead, played);
    EXPECT_TRUE(comparison.within(tolerance))
        << "output from its first sound at frame " << *onset << " against glass_orbit at " << startGain
        << " mB from frame " << *lead << ": " << comparison << "; " << startsHeardAfter(0);
}

TEST_F(HeardSound, DigitKeyStartsItsTrackFromTheBeginning) {
    ASSERT_TRUE(waitForStartOf("glass_orbit", 0)) << "the first track never started; " << startsHeardAfter(0);
    const std::size_t beforeKey = framesHeard();
    ASSERT_TRUE(display_.key(window_, "5"));
    const auto start = waitForStartOf("odd_notion", beforeKey);
    ASSERT_TRUE(start) << "odd_notion never started; " << startsHeardAfter(beforeKey);
    const Comparison comparison = compare(heard(), start->outputFrame,
                                          reference("odd_notion", startGain, referenceSeconds), start->moduleFrame,
                                          checkedFrames);
    EXPECT_TRUE(comparison.within(tolerance)) << "odd_notion from frame " << start->outputFrame << ": " << comparison;
}

TEST_F(HeardSound, NextThenPreviousStepToTheSecondTrackAndBackToTheFirst) {
    const auto first = waitForStartOf("glass_orbit", 0);
    ASSERT_TRUE(first) << "the first track never started; " << startsHeardAfter(0);
    const std::size_t beforeNext = framesHeard();
    ASSERT_TRUE(pressAt(nextX, buttonRow));
    const auto second = waitForStartOf("mr_quillop", beforeNext);
    ASSERT_TRUE(second) << "next: mr_quillop never started; " << startsHeardAfter(beforeNext);
    waitForFramesAfter(second->outputFrame, framesIn(0.3));
    const std::size_t beforePrevious = framesHeard();
    ASSERT_TRUE(pressAt(previousX, buttonRow));
    const auto back = waitForStartOf("glass_orbit", beforePrevious);
    ASSERT_TRUE(back) << "previous: glass_orbit never started again; " << startsHeardAfter(beforePrevious);

    const Sound sound = heard();
    // The second track is heard whole from its start until the step back.
    const std::size_t secondHeard = back->outputFrame - second->outputFrame;
    const Comparison secondTrack = compare(sound, second->outputFrame,
                                       reference("mr_quillop", startGain, referenceSeconds), second->moduleFrame,
                                       std::min(secondHeard, framesIn(0.3)));
    EXPECT_TRUE(secondTrack.within(tolerance))
        << "mr_quillop from frame " << second->outputFrame << ": " << secondTrack;
    const Comparison again = compare(sound, back->outputFrame, reference("glass_orbit", startGain, referenceSeconds),
                                     back->moduleFrame, checkedFrames);
    EXPECT_TRUE(again.within(tolerance)) << "glass_orbit again from frame " << back->outputFrame << ": " << again;
}

TEST_F(HeardSound, PlayPauseSilencesTheTrackAndResumesWhereItStopped) {
    const Sound& expected = reference("glass_orbit", startGain, referenceSeconds);
    const auto start = waitForStartOf("glass_orbit", 0);
    ASSERT_TRUE(start) << "the first track never started; " << startsHeardAfter(0);
    ASSERT_FALSE(findSilence(expected, start->moduleFrame, pauseFrames / 4))
        << "glass_orbit has a gap of its own, which would read as a pause";
    waitForFramesAfter(start->outputFrame, framesIn(0.7));

    const std::size_t beforePause = framesHeard();
    ASSERT_TRUE(pressAt(playPauseX, buttonRow));
    const auto pausedAt = waitFor([&](const Sound& sound) { return findSilence(sound, beforePause, pauseFrames); });
    ASSERT_TRUE(pausedAt) << "no stretch of exact zeros after the first press (frame " << beforePause << ", "
                          << soundPath_ << ")";
    const std::size_t beforeResume = framesHeard();
    ASSERT_TRUE(pressAt(playPauseX, buttonRow));
    const auto resumedAt = waitFor([&](const Sound& sound) -> std::optional<std::size_t> {
        const auto at = firstSound(sound, *pausedAt);
        if (!at || sound.frames() < *at + checkedFrames) return std::nullopt;
        return at;
    });
    ASSERT_TRUE(resumedAt) << "still silent after the second press (frame " << beforeResume << ", " << soundPath_
                           << ")";

    const Sound sound = heard();
    // Until the pause the track played from its start...
    const Comparison before = compare(sound, start->outputFrame, expected, start->moduleFrame,
                                      *pausedAt - start->outputFrame);
    EXPECT_TRUE(before.within(tolerance)) << "glass_orbit up to the pause: " << before;
    // ...and after it the track goes on from the frame where the output fell
    // silent: the first sound after the pause is the track's first sound from
    // that frame on, neither restarted nor moved on through the pause.
    const std::size_t stoppedAt = start->moduleFrameAt(*pausedAt);
    const auto goesOnAt = firstSound(expected, stoppedAt);
    ASSERT_TRUE(goesOnAt);
    const Comparison after = compare(sound, *resumedAt, expected, *goesOnAt, checkedFrames);
    EXPECT_TRUE(after.within(tolerance)) << "paused at track frame " << stoppedAt << ", resumed at output frame "
                                         << *resumedAt << " against track frame " << *goesOnAt << ": " << after;
}

TEST_F(HeardSound, WedgeLeftEdgeSilencesTheGoingTrackAndRightEdgeDoublesItsAmplitude) {
    const Sound& half = reference("glass_orbit", startGain, referenceSeconds);
    const Sound& full = reference("glass_orbit", fullGain, referenceSeconds);
    const auto start = waitForStartOf("glass_orbit", 0);
    ASSERT_TRUE(start) << "the first track never started; " << startsHeardAfter(0);
    ASSERT_FALSE(findSilence(half, start->moduleFrame, pauseFrames / 4))
        << "glass_orbit has a gap of its own, which would read as silence from the wedge";
    waitForFramesAfter(start->outputFrame, framesIn(0.5));

    const std::size_t beforeMute = framesHeard();
    ASSERT_TRUE(pressAt(wedgeLeftX, wedgeRow));
    const auto mutedAt = waitFor([&](const Sound& sound) { return findSilence(sound, beforeMute, pauseFrames); });
    ASSERT_TRUE(mutedAt) << "no stretch of exact zeros after the press at the wedge's left edge (frame "
                         << beforeMute << ", " << soundPath_ << ")";
    ASSERT_TRUE(pressAt(wedgeRightX, wedgeRow));
    const auto loudAt = waitFor([&](const Sound& sound) -> std::optional<std::size_t> {
        const auto at = firstSound(sound, *mutedAt);
        if (!at || sound.frames() < *at + checkedFrames) return std::nullopt;
        return at;
    });
    ASSERT_TRUE(loudAt) << "still silent after the press at the wedge's right edge (" << soundPath_ << ")";

    const Sound sound = heard();
    // The track went on while it was silent: the sound comes back at the
    // frame it has reached by then, at the full gain.
    const std::size_t trackAt = start->moduleFrameAt(*loudAt);
    const Comparison comparison = compare(sound, *loudAt, full, trackAt, checkedFrames);
    EXPECT_TRUE(comparison.within(tolerance)) << "output from frame " << *loudAt << " against glass_orbit frame "
                                              << trackAt << " at " << fullGain << " mB: " << comparison;
    const double heardLevel = rms(sound, *loudAt, checkedFrames);
    const double startLevel = rms(half, trackAt, checkedFrames);
    ASSERT_GT(startLevel, 0.0);
    EXPECT_NEAR(heardLevel / startLevel, 2.0, 0.1)
        << "RMS " << heardLevel << " after the right edge against " << startLevel << " at the start volume";
}

}  // namespace

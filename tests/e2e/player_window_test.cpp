// The real program on a private X server: its window, its first frames, and
// the ways it ends.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "tests/e2e/harness.h"

namespace {

using namespace e2e;

const std::string title = "- Quintrell - Chiptunes - 2012 -";
constexpr auto startTimeout = 15s;  // start-up decodes pictures and loads music
constexpr auto exitTimeout = 1s;

// A private display with the program running on it and its window found.
class RunningPlayer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(playerPath().empty()) << "pass --player PATH";
        ASSERT_TRUE(display_.ok()) << display_.error();
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        player_ = std::make_unique<PlayerProcess>(name, playerEnvironment(display_));
        ASSERT_TRUE(player_->started());
        const auto window = display_.findWindow(title, startTimeout);
        if (!window) {
            std::string shown;
            for (const std::string& other : display_.visibleWindowTitles()) {
                shown += " \"" + other + "\"";
            }
            FAIL() << "no window titled \"" << title << "\" shown; windows shown:" << (shown.empty() ? " none" : shown)
                   << "; program " << player_->waitForExit(0ms) << ", output:\n" << player_->output();
        }
        window_ = *window;
    }

    // Waits for the program to end after a request to quit.
    void expectCleanExitWithin(std::chrono::milliseconds timeout) {
        const ExitStatus status = player_->waitForExit(timeout);
        EXPECT_TRUE(status.finished && !status.signalled && status.code == 0)
            << "expected exit code 0 within " << timeout.count() << " ms, got " << status << "; output:\n"
            << player_->output();
        EXPECT_EQ(player_->output(), "") << "the program writes nothing on its way";
    }

    VirtualDisplay display_;
    std::unique_ptr<PlayerProcess> player_;
    Window window_ = 0;
};

TEST_F(RunningPlayer, WindowHasItsTitleAndClientSizeCentredOnTheScreen) {
    const Rect client = display_.clientGeometry(window_);
    EXPECT_EQ(client.width, 480);
    EXPECT_EQ(client.height, 240);
    // No window manager runs here, so the usable screen is the whole screen.
    EXPECT_EQ(client.x, (display_.width() - 480) / 2);
    EXPECT_EQ(client.y, (display_.height() - 240) / 2);
}

TEST_F(RunningPlayer, FramesAreClearedToWhiteAboveTheBackground) {
    // The background covers the bottom 220 rows; above it the white clear
    // shows. The probe keeps to the top 20 rows and to the middle columns,
    // which the arcs running in from the side edges (at most 160 pixels)
    // and the title line below row 20 never reach.
    constexpr int probeRows = 20;
    constexpr int probeLeft = 170;
    constexpr int probeRight = 310;
    const Rgb white{255, 255, 255};
    RgbImage shot;
    std::string firstMiss;
    // Poll until a frame has been presented: a window just mapped shows
    // nothing drawn yet.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    do {
        shot = display_.screenshot(window_);
        firstMiss.clear();
        for (int y = 0; y < probeRows && y < shot.height && firstMiss.empty(); ++y) {
            for (int x = probeLeft; x < probeRight && x < shot.width; ++x) {
                if (!(shot.at(x, y) == white)) {
                    std::ostringstream where;
                    where << "pixel (" << x << ", " << y << ") is " << shot.at(x, y) << ", expected " << white;
                    firstMiss = where.str();
                    break;
                }
            }
        }
        if (shot.width == 480 && shot.height == 240 && firstMiss.empty()) {
            break;
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    const std::string artefact = artifactPath("first_frames.png");
    EXPECT_TRUE(savePng(shot, artefact)) << artefact;
    ASSERT_EQ(shot.width, 480);
    ASSERT_EQ(shot.height, 240);
    EXPECT_TRUE(firstMiss.empty()) << firstMiss << " (screenshot: " << artefact << ")";
}

TEST_F(RunningPlayer, EscapeEndsTheProgram) {
    ASSERT_TRUE(display_.key(window_, "Escape"));
    expectCleanExitWithin(exitTimeout);
}

TEST_F(RunningPlayer, CloseRequestEndsTheProgram) {
    ASSERT_TRUE(display_.sendCloseRequest(window_));
    expectCleanExitWithin(exitTimeout);
}

TEST_F(RunningPlayer, AltF4EndsTheProgram) {
    ASSERT_TRUE(display_.key(window_, "alt+F4"));
    expectCleanExitWithin(exitTimeout);
}

TEST_F(RunningPlayer, OtherKeysAndPointerInputLeaveItRunning) {
    // Keys that select tracks or nothing, and the mouse over the buttons and
    // the slider, must not be taken for a request to quit.
    ASSERT_TRUE(display_.key(window_, "2"));
    ASSERT_TRUE(display_.key(window_, "KP_1"));
    ASSERT_TRUE(display_.key(window_, "alt+3"));
    ASSERT_TRUE(display_.key(window_, "F4"));
    ASSERT_TRUE(display_.moveMouse(window_, 240, 110));
    ASSERT_TRUE(display_.click(window_, 1));
    ASSERT_TRUE(display_.drag(window_, 200, 195, 280, 195));
    const ExitStatus status = player_->waitForExit(500ms);
    EXPECT_FALSE(status.finished) << "program ended: " << status << "; output:\n" << player_->output();
    // And it still listens.
    ASSERT_TRUE(display_.key(window_, "Escape"));
    expectCleanExitWithin(exitTimeout);
}

TEST(NoDisplay, ReportsThatTheWindowCannotBeCreatedAndExitsCleanly) {
    ASSERT_FALSE(playerPath().empty()) << "pass --player PATH";
    PlayerProcess player("NoDisplay", {{"DISPLAY", std::nullopt},
                                       {"SDL_VIDEODRIVER", std::nullopt},
                                       {"WAYLAND_DISPLAY", std::nullopt},
                                       {"WAYLAND_SOCKET", std::nullopt},
                                       {"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(player.started());
    const ExitStatus status = player.waitForExit(5s);
    EXPECT_TRUE(status.finished && !status.signalled && status.code == 0) << status;
    // That one line and nothing else: no other message follows it.
    EXPECT_EQ(player.output(), "Error: Could not create window\n");
}

}  // namespace

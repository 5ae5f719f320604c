#include "tests/unit/player_fixture.h"

namespace {

class ShellTest : public PlayerTest {
protected:
    void TearDown() override {
        delete thePlayer;  // the program never frees it; the tests do, one run after another
        thePlayer = nullptr;
        PlayerTest::TearDown();
    }

    int runWinMain() { return WinMain(nullptr, nullptr, nullptr, 0); }
};

struct CreationFailure {
    const char* name;
    bool registerFails;
    bool createFails;
    std::vector<std::string> expectedCalls;  // window-system calls, in order
};

class CreationFailureTest : public ShellTest, public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(CreationFailureTest, ShowsOneErrorAndReturnsWithoutAPlayer) {
    const CreationFailure& c = GetParam();
    fake::script().registerClassFails = c.registerFails;
    fake::script().createWindowFails = c.createFails;

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Error: Could not create window"});
    EXPECT_EQ(thePlayer, nullptr);
    EXPECT_TRUE(bassCalls().empty()) << "no audio may start";
    std::vector<std::string> windowCalls;
    for (const auto& call : fake::calls())
        if (call.name == "RegisterClassA" || call.name == "CreateWindowExA" || call.name == "UnregisterClassA" ||
            call.name == "ShowWindow")
            windowCalls.push_back(call.name);
    EXPECT_EQ(windowCalls, c.expectedCalls);
}

INSTANTIATE_TEST_SUITE_P(Rows, CreationFailureTest,
                         ::testing::Values(CreationFailure{"ClassRefused", true, false, {"RegisterClassA"}},
                                           // The registered class is left registered, as the shell promises.
                                           CreationFailure{"WindowRefused", false, true,
                                                           {"RegisterClassA", "CreateWindowExA"}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Centring {
    int screenWidth, screenHeight;
    int x, y;
};

class CentringTest : public ShellTest, public ::testing::WithParamInterface<Centring> {};

TEST_P(CentringTest, CentresTheRequestedClientSizeAndAsksForTheAdjustedFrame) {
    const Centring& c = GetParam();
    fake::script().screenWidth = c.screenWidth;
    fake::script().screenHeight = c.screenHeight;
    fake::postMessage(nullptr, WM_QUIT, 0, 0);

    runWinMain();

    EXPECT_EQ(fake::callsStartingWith("RegisterClassA"), std::vector<std::string>{"RegisterClassA(player, style 35)"});
    EXPECT_EQ(fake::callsStartingWith("AdjustWindowRectEx"),
              std::vector<std::string>{"AdjustWindowRectEx(0 0 480 240, 0x80000, 0, 0x40080)"});
    // The fake's frame adds 6 to the width and 29 to the height.
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "CreateWindowExA(0x40080, player, - Quintrell - Chiptunes - 2012 -, 0x6080000, %d, %d, 486, 269, "
                  "null, null, null)",
                  c.x, c.y);
    EXPECT_EQ(fake::callsStartingWith("CreateWindowExA"), std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(Screens, CentringTest,
                         ::testing::Values(Centring{1024, 768, 272, 264}, Centring{1023, 767, 271, 263},
                                           // Smaller than the window: truncation toward zero, not floor.
                                           Centring{479, 239, 0, 0}, Centring{400, 100, -40, -70}));

TEST_F(ShellTest, BuildsThePlayerBeforeShowingTheWindowAndTearsDownAfterWmQuit) {
    installModules();
    fake::postMessage(nullptr, WM_QUIT, 0, 0);
    fake::postMessage(nullptr, WM_CLOSE, 0, 0);

    EXPECT_EQ(runWinMain(), 0);

    ASSERT_NE(thePlayer, nullptr);
    EXPECT_EQ(thePlayer->currentTrack, 0);
    EXPECT_FALSE(running);
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(fake::pendingMessages(), 1u) << "WM_QUIT ends the loop at once";
    EXPECT_EQ(fake::swapCount(), 0);

    std::vector<std::string> order;
    for (const auto& call : fake::calls())
        if (call.name == "BASS_ChannelPlay" || call.name == "SetForegroundWindow" || call.name == "ShowWindow" ||
            call.name == "SetFocus" || call.name == "DestroyWindow" || call.name == "UnregisterClassA")
            order.push_back(call.text());
    EXPECT_EQ(order, (std::vector<std::string>{"BASS_ChannelPlay(1, 0)", "SetForegroundWindow()", "ShowWindow(5)",
                                               "SetFocus()", "DestroyWindow()", "UnregisterClassA(player)"}));
    // Nothing else is released: the music plays on to the end of the process.
    EXPECT_TRUE(fake::callsStartingWith("BASS_Free").empty());
}

TEST_F(ShellTest, HandlesOneMessagePerPassAndDrawsOnlyWhenTheQueueIsEmpty) {
    installModules();
    fake::postMessage(nullptr, WM_SIZE, 0, MAKELPARAM(480, 240));
    fake::script().quitAfterSleeps = 2;

    runWinMain();

    ASSERT_NE(thePlayer, nullptr);
    EXPECT_EQ(thePlayer->width, 480);
    EXPECT_EQ(thePlayer->height, 240);
    EXPECT_EQ(fake::swapCount(), 2);
    EXPECT_EQ(fake::sleptMilliseconds(), 40u);
    // Every frame is followed by its pause.
    std::vector<std::string> pacing;
    for (const auto& call : fake::calls())
        if (call.name == "SwapBuffers" || call.name == "Sleep") pacing.push_back(call.text());
    EXPECT_EQ(pacing, (std::vector<std::string>{"SwapBuffers()", "Sleep(20)", "SwapBuffers()", "Sleep(20)"}));
}

TEST_F(ShellTest, CloseRequestsEndTheLoopAtItsNextTestWithoutDestroyingTheWindowInTheProcedure) {
    installModules();
    fake::postMessage(nullptr, WM_CLOSE, 0, 0);
    fake::postMessage(nullptr, WM_SIZE, 0, MAKELPARAM(100, 100));

    runWinMain();

    EXPECT_EQ(fake::pendingMessages(), 1u);
    EXPECT_EQ(fake::callsStartingWith("DestroyWindow").size(), 1u);
    EXPECT_EQ(fake::swapCount(), 0);
}

// The procedure's own rows and the input rows, with and without a Player.
struct ProcedureRow {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool withPlayer;
    bool passedOn;      // DefWindowProcA called and its result returned
    bool stopsRunning;
};

class ProcedureTest : public ShellTest, public ::testing::WithParamInterface<ProcedureRow> {};

TEST_P(ProcedureTest, ReturnsWhatTheRowSays) {
    const ProcedureRow& r = GetParam();
    if (r.withPlayer) {
        buildPlayer();
        thePlayer = player.release();
    }
    fake::clearCalls();
    fake::script().defWindowProcResult = 77;

    LRESULT result = windowProc(nullptr, r.message, r.wParam, r.lParam);

    auto passed = fake::callsStartingWith("DefWindowProcA");
    EXPECT_EQ(result, r.passedOn ? 77 : 0);
    EXPECT_EQ(passed.size(), r.passedOn ? 1u : 0u);
    EXPECT_EQ(running, !r.stopsRunning);
    if (!r.withPlayer) {
        EXPECT_TRUE(bassCalls().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProcedureTest,
    ::testing::Values(
        ProcedureRow{"SizeWithPlayer", WM_SIZE, 0, MAKELPARAM(480, 240), true, false, false},
        ProcedureRow{"SizeBeforePlayer", WM_SIZE, 0, MAKELPARAM(480, 240), false, false, false},
        ProcedureRow{"Close", WM_CLOSE, 0, 0, true, false, true},
        ProcedureRow{"CloseBeforePlayer", WM_CLOSE, 0, 0, false, false, true},
        ProcedureRow{"Escape", WM_KEYDOWN, VK_ESCAPE, 0, true, true, true},
        ProcedureRow{"EscapeBeforePlayer", WM_KEYDOWN, VK_ESCAPE, 0, false, true, true},
        ProcedureRow{"ScreenSaverRefused", WM_SYSCOMMAND, 0xF140, 0, true, false, false},
        ProcedureRow{"MonitorPowerRefused", WM_SYSCOMMAND, 0xF170, 0, true, false, false},
        ProcedureRow{"ScreenSaverWithLowBits", WM_SYSCOMMAND, 0xF141, 0, true, true, false},
        ProcedureRow{"MonitorPowerWithLowBits", WM_SYSCOMMAND, 0xF172, 0, true, true, false},
        ProcedureRow{"OtherSystemCommand", WM_SYSCOMMAND, 0xF060, 0, true, true, false},
        ProcedureRow{"Paint", WM_PAINT, 0, 0, true, true, false},
        ProcedureRow{"DigitKey", WM_KEYDOWN, '3', 0, true, true, false},
        ProcedureRow{"DigitKeyBeforePlayer", WM_KEYDOWN, '3', 0, false, true, false},
        ProcedureRow{"MouseMoveBeforePlayer", WM_MOUSEMOVE, 0, MAKELPARAM(240, 120), false, true, false},
        ProcedureRow{"PressBeforePlayer", WM_LBUTTONDOWN, 0, MAKELPARAM(240, 120), false, true, false},
        ProcedureRow{"ReleaseBeforePlayer", WM_LBUTTONUP, 0, MAKELPARAM(240, 120), false, true, false},
        ProcedureRow{"RightButton", WM_RBUTTONDOWN, 0, MAKELPARAM(240, 120), true, true, false},
        ProcedureRow{"Wheel", WM_MOUSEWHEEL, 0, MAKELPARAM(240, 120), true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellTest, SizeMessagesSetTheClientSizeAsUnsignedWords) {
    buildPlayer();
    thePlayer = player.release();
    windowProc(nullptr, WM_SIZE, 0, MAKELPARAM(40000, 7));
    EXPECT_EQ(thePlayer->width, 40000);
    EXPECT_EQ(thePlayer->height, 7);
}

}  // namespace

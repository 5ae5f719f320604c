#include "tests/unit/player_fixture.h"

namespace {

// A Player at 480 x 240 whose first frame has stored the slider rectangle.
class PointerTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        buildPlayer();
        drawSlider(*player);
        recording_gl::reset();
        fake::clearCalls();
    }
};

struct HitCase {
    const char* name;
    int x, y;
    bool slider, prev, play, next;
};

class HitTest : public PointerTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(HitTest, SetsTheFlagOfTheControlUnderThePointer) {
    const HitCase& c = GetParam();
    player->updatePointer(c.x, c.y);
    EXPECT_EQ(player->hoverSlider, c.slider) << "at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(player->hoverPrev, c.prev) << "at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(player->hoverPlay, c.play) << "at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(player->hoverNext, c.next) << "at (" << c.x << ", " << c.y << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Points, HitTest,
    ::testing::Values(HitCase{"PlayCentre", 240, 120, false, false, true, false},
                      HitCase{"PlayRightEdgeExactly32", 272, 120, false, false, true, false},
                      HitCase{"JustPastPlayEdge", 273, 120, false, false, false, false},
                      HitCase{"BetweenPrevAndPlay", 205, 120, false, false, false, false},
                      HitCase{"AbovePlayOnItsPicture", 240, 86, false, false, false, false},
                      HitCase{"BelowPlayOffItsPicture", 240, 150, false, false, true, false},
                      HitCase{"PrevCentre", 170, 120, false, true, false, false},
                      HitCase{"NextCentre", 310, 120, false, false, false, true},
                      HitCase{"NextOuterEdge", 342, 120, false, false, false, true},
                      HitCase{"SliderLeftBottomCorner", 190, 205, true, false, false, false},
                      HitCase{"SliderRightTopCorner", 290, 180, true, false, false, false},
                      HitCase{"LeftOfSlider", 189, 190, false, false, false, false},
                      HitCase{"AboveSlider", 240, 179, false, false, false, false},
                      HitCase{"Nowhere", 10, 10, false, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, BeforeTheFirstFrameNoPointIsOverTheSlider) {
    buildPlayer();
    player->mouseDown = true;
    for (int x : {0, 190, 240, 290, 479})
        for (int y : {0, 180, 192, 205, 239}) {
            player->updatePointer(x, y);
            EXPECT_FALSE(player->hoverSlider) << x << ", " << y;
        }
    EXPECT_EQ(player->volume, 0.5f);
}

struct PressCase {
    int x;
    float volume;
    const char* amplification;
};

class SliderPressTest : public PointerTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(SliderPressTest, APressOnTheWedgeSetsTheVolumeAtOnce) {
    const PressCase& c = GetParam();
    player->pressPointer(c.x, 192);
    EXPECT_EQ(player->volume, c.volume);
    EXPECT_EQ(player->channel.volume, c.volume);
    EXPECT_EQ(fake::callsStartingWith("BASS_ChannelSetAttribute"),
              std::vector<std::string>{"BASS_ChannelSetAttribute(" + std::to_string(player->channel.handle) +
                                       ", 0x100, " + c.amplification + ")"});
}

INSTANTIATE_TEST_SUITE_P(Presses, SliderPressTest,
                         ::testing::Values(PressCase{190, 0.0f, "0"}, PressCase{240, 0.5f, "32.5"},
                                           PressCase{290, 1.0f, "65"}, PressCase{215, 0.25f, "16.25"}));

TEST_F(PointerTest, ADragFollowsOnlyOverTheWedgeAndLastsUntilTheRelease) {
    player->pressPointer(200, 192);
    EXPECT_FLOAT_EQ(player->volume, 0.1f);
    player->updatePointer(260, 192);
    EXPECT_FLOAT_EQ(player->volume, 0.7f);
    player->updatePointer(260, 120);  // off the wedge: the value stays
    EXPECT_FLOAT_EQ(player->volume, 0.7f);
    player->updatePointer(280, 200);  // back on: it goes on
    EXPECT_FLOAT_EQ(player->volume, 0.9f);
    player->mouseDown = false;  // the release
    player->updatePointer(210, 192);
    EXPECT_FLOAT_EQ(player->volume, 0.9f);
}

TEST_F(PointerTest, AReleaseNeverSeenKeepsTheDragAlive) {
    player->pressPointer(240, 192);
    player->updatePointer(400, 20);  // the pointer leaves; its release outside is never seen
    player->updatePointer(290, 192);
    EXPECT_EQ(player->volume, 1.0f);
}

TEST_F(PointerTest, ADragWithNoModuleChangesTheVolumeAndCallsNothing) {
    player->channel.handle = 0;
    player->pressPointer(190, 192);
    EXPECT_EQ(player->volume, 0.0f);
    EXPECT_EQ(player->channel.volume, 0.0f);
    EXPECT_TRUE(bassCalls().empty());
}

struct ButtonCase {
    const char* name;
    int x;
    int track;
    bool playing;
};

class ButtonPressTest : public PointerTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonPressTest, APressRunsTheButtonUnderIt) {
    const ButtonCase& c = GetParam();
    player->pressPointer(c.x, 120);
    EXPECT_EQ(player->currentTrack, c.track);
    EXPECT_EQ(player->isPlaying, c.playing);
    EXPECT_TRUE(player->mouseDown);
    EXPECT_EQ(player->clickX, c.x);
    EXPECT_EQ(player->clickY, 120);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ButtonPressTest,
                         ::testing::Values(ButtonCase{"Previous", 170, 8, true}, ButtonCase{"PlayPause", 240, 0, false},
                                           ButtonCase{"Next", 310, 1, true}, ButtonCase{"Nothing", 205, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PointerTest, ADoubleClickOnPlayPausePausesAndResumes) {
    player->pressPointer(240, 120);
    player->mouseDown = false;
    player->pressPointer(240, 120);
    EXPECT_TRUE(player->isPlaying);
    EXPECT_EQ(fake::callsStartingWith("BASS_ChannelPause").size(), 1u);
    EXPECT_EQ(fake::callsStartingWith("BASS_ChannelPlay").size(), 1u);
}

TEST_F(PointerTest, MovesWithTheButtonHeldNeverPressAButton) {
    player->pressPointer(10, 10);
    player->updatePointer(310, 120);
    EXPECT_TRUE(player->hoverNext);
    EXPECT_EQ(player->currentTrack, 0);
}

// Routing through the window procedure.
struct KeyCase {
    const char* name;
    UINT message;
    WPARAM key;
    int track;  // -1: nothing selected
};

class KeyTest : public PointerTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTest, DigitKeysOfTheMainRowPickTracks) {
    const KeyCase& c = GetParam();
    thePlayer = player.get();
    player->selectTrack(4);
    fake::clearCalls();
    windowProc(nullptr, c.message, c.key, 0);
    if (c.track < 0) {
        EXPECT_EQ(player->currentTrack, 4);
        EXPECT_TRUE(fake::callsStartingWith("BASS_MusicLoad").empty());
    } else {
        EXPECT_EQ(player->currentTrack, c.track);
        EXPECT_EQ(fake::audio().loadedBytes, moduleBytesFor(c.track));
    }
    EXPECT_EQ(fake::callsStartingWith("DefWindowProcA").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyTest,
                         ::testing::Values(KeyCase{"One", WM_KEYDOWN, '1', 0}, KeyCase{"Nine", WM_KEYDOWN, '9', 8},
                                           KeyCase{"SameTrackAgain", WM_KEYDOWN, '5', 4},
                                           KeyCase{"Zero", WM_KEYDOWN, '0', -1},
                                           KeyCase{"Colon", WM_KEYDOWN, ':', -1},
                                           KeyCase{"KeypadOne", WM_KEYDOWN, VK_NUMPAD0 + 1, -1},
                                           KeyCase{"AltFive", WM_SYSKEYDOWN, '5', -1},
                                           KeyCase{"LetterA", WM_KEYDOWN, 'A', -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PointerTest, HeldDigitKeysRestartTheTrackOnEveryRepeat) {
    thePlayer = player.get();
    for (int repeat = 0; repeat < 3; ++repeat) windowProc(nullptr, WM_KEYDOWN, '3', 0x40000000);
    EXPECT_EQ(fake::callsStartingWith("BASS_MusicLoad").size(), 3u);
    EXPECT_EQ(player->currentTrack, 2);
}

TEST_F(PointerTest, PointerMessagesCarryXInTheLowWordAndYInTheHighWord) {
    thePlayer = player.get();
    windowProc(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(310, 120));
    EXPECT_TRUE(player->hoverNext);
    windowProc(nullptr, WM_LBUTTONDOWN, 0, MAKELPARAM(240, 192));
    EXPECT_TRUE(player->mouseDown);
    EXPECT_EQ(player->volume, 0.5f);
    windowProc(nullptr, WM_LBUTTONUP, 0, MAKELPARAM(240, 192));
    EXPECT_FALSE(player->mouseDown);
}

}  // namespace

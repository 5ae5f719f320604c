#include "tests/unit/player_fixture.h"

namespace {

using Calls = std::vector<std::string>;

TEST_F(PlayerTest, PlayingATrackStopsFreesLoadsStartsSetsTheVolumeAndPlaysInThatOrder) {
    buildPlayer();
    HMUSIC previous = player->channel.handle;

    player->selectTrack(4);

    HMUSIC loaded = player->channel.handle;
    EXPECT_NE(loaded, previous);
    EXPECT_EQ(bassCalls(), (Calls{"BASS_Stop()", "BASS_MusicFree(" + std::to_string(previous) + ")",
                                  "BASS_MusicLoad(1, bytes, 0, 5, 0x800400, 0)", "BASS_Start()",
                                  "BASS_ChannelSetAttribute(" + std::to_string(loaded) + ", 0x100, 32.5)",
                                  "BASS_ChannelPlay(" + std::to_string(loaded) + ", 0)"}));
    EXPECT_EQ(fake::audio().loadedBytes, moduleBytesFor(4));
    EXPECT_EQ(player->currentTrack, 4);
    EXPECT_EQ(player->title, "5. Odd Notion");
    EXPECT_TRUE(messageTexts().empty());
}

TEST_F(PlayerTest, TheFirstTrackAfterStartupFreesNothing) {
    installModules();
    Player built;
    auto calls = fake::callsStartingWith("BASS_");
    EXPECT_TRUE(fake::callsStartingWith("BASS_MusicFree").empty());
    EXPECT_EQ(calls[1], "BASS_Stop()");
    EXPECT_EQ(calls[2], "BASS_MusicLoad(1, bytes, 0, 5, 0x800400, 0)");
}

struct VolumeCase {
    float volume;
    const char* amplification;
};

class VolumeTest : public PlayerTest, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(VolumeTest, EveryNewTrackStartsAtTheSlidersVolume) {
    buildPlayer();
    player->volume = player->channel.volume = GetParam().volume;
    player->selectTrack(1);
    auto set = fake::callsStartingWith("BASS_ChannelSetAttribute");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0], "BASS_ChannelSetAttribute(" + std::to_string(player->channel.handle) + ", 0x100, " +
                          GetParam().amplification + ")");
}

INSTANTIATE_TEST_SUITE_P(Volumes, VolumeTest,
                         ::testing::Values(VolumeCase{0.0f, "0"}, VolumeCase{1.0f, "65"},
                                           VolumeCase{0.5f, "32.5"}, VolumeCase{0.7f, "45.5"}));

TEST_F(PlayerTest, AFailedStopLeavesTheChannelExactlyAsItWas) {
    buildPlayer();
    HMUSIC before = player->channel.handle;
    fake::script().bassStopResult = FALSE;

    player->selectTrack(6);

    EXPECT_EQ(bassCalls(), Calls{"BASS_Stop()"});
    EXPECT_EQ(messageTexts(), Calls{"Fail occured: Could not stop BASS"});
    EXPECT_EQ(player->channel.handle, before);
    // The title and the flag follow the request all the same.
    EXPECT_EQ(player->currentTrack, 6);
    EXPECT_EQ(player->title, "7. Nebular");
    EXPECT_TRUE(player->isPlaying);
}

TEST_F(PlayerTest, AFailedLoadLeavesNothingLoadedAndTheNextPlayTriesAgainWithoutFreeing) {
    buildPlayer();
    player->togglePause();
    fake::script().bassLoadFails = true;

    player->selectTrack(2);

    EXPECT_EQ(player->channel.handle, 0u);
    EXPECT_EQ(messageTexts(), Calls{"Fail occured: Could not load track to BASS"});
    EXPECT_TRUE(fake::callsStartingWith("BASS_Start").empty());
    EXPECT_EQ(player->title, "3. Tin Lantern");
    EXPECT_TRUE(player->isPlaying);

    fake::clearCalls();
    fake::script().bassLoadFails = false;
    player->selectTrack(2);
    EXPECT_TRUE(fake::callsStartingWith("BASS_MusicFree").empty());
    EXPECT_NE(player->channel.handle, 0u);
    EXPECT_EQ(fake::callsStartingWith("BASS_Start").size(), 1u);
}

TEST_F(PlayerTest, ASlotWithoutModuleBytesIsAFailedLoadAndHandsTheLibraryNothing) {
    buildPlayer();
    player->tracks[3].moduleBytes.clear();

    player->selectTrack(3);

    EXPECT_TRUE(fake::callsStartingWith("BASS_MusicLoad").empty());
    EXPECT_EQ(player->channel.handle, 0u);
    EXPECT_EQ(messageTexts(), Calls{"Fail occured: Could not load track to BASS"});
}

struct StepCase {
    const char* name;
    int from;
    bool forward;
    int to;
};

class StepTest : public PlayerTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepTest, StepsWrapBothWays) {
    const StepCase& c = GetParam();
    buildPlayer();
    player->currentTrack = c.from;
    player->stepTrack(c.forward);
    EXPECT_EQ(player->currentTrack, c.to);
    EXPECT_EQ(player->title, trackTable[c.to].title);
    EXPECT_EQ(fake::audio().loadedBytes, moduleBytesFor(c.to));
}

INSTANTIATE_TEST_SUITE_P(Steps, StepTest,
                         ::testing::Values(StepCase{"NextFromFirst", 0, true, 1},
                                           StepCase{"NextFromLast", 8, true, 0},
                                           StepCase{"PreviousFromFirst", 0, false, 8},
                                           StepCase{"PreviousFromMiddle", 5, false, 4},
                                           StepCase{"NextBeforeAnyTrack", -1, true, 0},
                                           // Backward before any track would name no slot; it lands on the last.
                                           StepCase{"PreviousBeforeAnyTrack", -1, false, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, SelectingThePlayingTrackStartsItAgainAndLeavesPause) {
    buildPlayer();
    player->selectTrack(2);
    HMUSIC first = player->channel.handle;
    player->togglePause();
    fake::clearCalls();

    player->selectTrack(2);

    EXPECT_EQ(fake::callsStartingWith("BASS_MusicFree"), Calls{"BASS_MusicFree(" + std::to_string(first) + ")"});
    EXPECT_NE(player->channel.handle, first);
    EXPECT_TRUE(player->isPlaying);
    EXPECT_FALSE(fake::audio().paused);
}

TEST_F(PlayerTest, PauseTwiceResumesTheSameModule) {
    buildPlayer();
    HMUSIC handle = player->channel.handle;
    player->togglePause();
    EXPECT_FALSE(player->isPlaying);
    EXPECT_TRUE(fake::audio().paused);
    player->togglePause();
    EXPECT_TRUE(player->isPlaying);
    EXPECT_EQ(bassCalls(), (Calls{"BASS_ChannelPause(" + std::to_string(handle) + ")",
                                  "BASS_ChannelPlay(" + std::to_string(handle) + ", 0)"}));
    EXPECT_EQ(player->channel.handle, handle);
}

TEST_F(PlayerTest, PauseWithNoModuleOnlyFlipsTheFlag) {
    fake::script().getDcFails = true;
    Player blank;
    fake::clearCalls();
    blank.togglePause();
    EXPECT_FALSE(blank.isPlaying);
    EXPECT_TRUE(bassCalls().empty());
}

struct EndCase {
    const char* name;
    DWORD active;
    bool steps;
};

class TrackEndTest : public PlayerTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(TrackEndTest, StepsOnOnlyWhenTheLibrarySaysTheTrackHasEnded) {
    buildPlayer();
    player->selectTrack(8);
    fake::script().bassIsActiveResult = GetParam().active;
    player->checkTrackEnd();
    EXPECT_EQ(player->currentTrack, GetParam().steps ? 0 : 8);
}

INSTANTIATE_TEST_SUITE_P(Answers, TrackEndTest,
                         ::testing::Values(EndCase{"Ended", BASS_ACTIVE_STOPPED, true},
                                           EndCase{"Playing", BASS_ACTIVE_PLAYING, false},
                                           EndCase{"Paused", BASS_ACTIVE_PAUSED, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, WithNoModuleLoadedTheEndCheckWaitsInsteadOfRunningThroughTheTracks) {
    buildPlayer();
    fake::script().bassLoadFails = true;
    player->selectTrack(3);
    fake::clearCalls();
    fake::script().bassIsActiveResult = BASS_ACTIVE_STOPPED;

    for (int frame = 0; frame < 5; ++frame) player->checkTrackEnd();

    EXPECT_EQ(player->currentTrack, 3);
    EXPECT_TRUE(bassCalls().empty());
    EXPECT_EQ(messageTexts().size(), 1u);  // only the load failure itself
}

TEST_F(PlayerTest, ATrackPickedWhileAMessageBoxIsOpenDecidesTheTitle) {
    buildPlayer();
    // The outer change fails to load; while its box is open, '8' is pressed.
    fake::script().bassLoadFails = true;
    thePlayer = player.get();
    fake::dispatchDuringNextMessageBox(WM_KEYDOWN, '8', 0);
    // The window procedure needs a registered class in the fake to be reached.
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.lpszClassName = "player";
    RegisterClassA(&windowClass);

    player->selectTrack(1);

    EXPECT_EQ(player->currentTrack, 7);
    EXPECT_EQ(player->title, "8. Grey Tune");
}

TEST_F(PlayerTest, TrackChangesInAPlayerWhoseStartupStoppedEarlyStayInsideTheTable) {
    fake::script().getDcFails = true;
    Player blank;
    fake::clearCalls();

    blank.stepTrack(false);
    blank.stepTrack(true);
    blank.selectTrack(4);

    EXPECT_EQ(blank.currentTrack, 4);
    EXPECT_EQ(blank.title, "");
    EXPECT_TRUE(fake::callsStartingWith("BASS_MusicLoad").empty());
}

}  // namespace

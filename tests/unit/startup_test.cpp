#include "tests/unit/player_fixture.h"

namespace {

enum class Failure { none, bassInit, getDc, choosePixelFormat, setPixelFormat, createContext, makeCurrent, font,
                     bassInitAndGetDc };

struct StartupCase {
    const char* name;
    Failure failure;
    std::vector<std::string> messages;
    bool openGlReady;  // the context was made current and the rest of the start-up ran
    bool hasDc;
    bool hasContext;
    std::size_t arcPhases;
};

void scriptFailure(Failure failure) {
    fake::Script& script = fake::script();
    switch (failure) {
    case Failure::none: break;
    case Failure::bassInit: script.bassInitResult = 0; break;
    case Failure::getDc: script.getDcFails = true; break;
    case Failure::choosePixelFormat: script.choosePixelFormatFails = true; break;
    case Failure::setPixelFormat: script.setPixelFormatFails = true; break;
    case Failure::createContext: script.createContextFails = true; break;
    case Failure::makeCurrent: script.makeCurrentFails = true; break;
    case Failure::font: script.createFontFails = true; break;
    case Failure::bassInitAndGetDc:
        script.bassInitResult = 0;
        script.getDcFails = true;
        break;
    }
}

const std::vector<StartupCase> startupCases = {
    {"Complete", Failure::none, {}, true, true, true, 30},
    {"AudioLibraryFails", Failure::bassInit, {"Fail occured: Could not to initialize BASS"}, true, true, true, 30},
    {"NoDeviceContext", Failure::getDc, {"Fail occured: Failed to get device context"}, false, false, false, 0},
    {"NoPixelFormat", Failure::choosePixelFormat, {"Fail occured: Failed to choose pixel format"}, false, true, false, 0},
    {"PixelFormatRefused", Failure::setPixelFormat, {"Fail occured: Failed to set pixel format"}, false, true, false, 0},
    {"NoContext", Failure::createContext, {"Fail occured: Failed to create GL context"}, false, true, false, 0},
    {"ContextNotCurrent", Failure::makeCurrent, {"Fail occured: Failed to make GL context current"}, false, true, true, 0},
    {"NoFont", Failure::font, {"Fail occured: Failed to generate font"}, true, true, true, 0},
    {"AudioAndDeviceContext", Failure::bassInitAndGetDc,
     {"Fail occured: Could not to initialize BASS", "Fail occured: Failed to get device context"}, false, false, false, 0},
};

class StartupTest : public PlayerTest, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupTest, ReportsEachFailureOnceAndLeavesTheStateItPromises) {
    const StartupCase& c = GetParam();
    installModules();
    scriptFailure(c.failure);

    Player built;

    EXPECT_EQ(messageTexts(), c.messages);
    for (const auto& box : fake::messageBoxes()) {
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.type, MB_OK);
    }
    EXPECT_EQ(built.hdc != nullptr, c.hasDc);
    EXPECT_EQ(built.glContext != nullptr, c.hasContext);
    EXPECT_EQ(built.arcPhases.size(), c.arcPhases);
    EXPECT_EQ(built.width, 0);
    EXPECT_EQ(built.height, 0);
    EXPECT_TRUE(built.isPlaying);
    EXPECT_EQ(built.volume, 0.5f);
    EXPECT_EQ(built.channel.volume, 0.5f);

    if (c.openGlReady) {
        for (int slot = 0; slot < trackCount; ++slot) {
            EXPECT_STREQ(built.tracks[slot].title, trackTable[slot].title) << "slot " << slot;
            EXPECT_EQ(built.tracks[slot].moduleBytes, moduleBytesFor(slot)) << "slot " << slot;
        }
        EXPECT_EQ(built.currentTrack, 0);
        EXPECT_EQ(built.title, "1. Glass Orbit");
        EXPECT_NE(built.channel.handle, 0u);
        EXPECT_EQ(fake::audio().loadedBytes, moduleBytesFor(0));
    } else {
        for (const TrackSlot& slot : built.tracks) {
            EXPECT_EQ(slot.title, nullptr);
            EXPECT_TRUE(slot.moduleBytes.empty());
        }
        EXPECT_EQ(built.currentTrack, -1);
        EXPECT_EQ(built.title, "");
        EXPECT_EQ(built.channel.handle, 0u);
        EXPECT_TRUE(fake::callsStartingWith("BASS_MusicLoad").empty());
        EXPECT_TRUE(fake::callsStartingWith("CreateFontA").empty());
        EXPECT_TRUE(built.background.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, StartupTest, ::testing::ValuesIn(startupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, StartupAsksForTheWindowPixelFormatAndBringsTheLibraryUpFirst) {
    installModules();
    Player built;
    auto names = fake::callNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "BASS_Init");
    EXPECT_EQ(fake::calls().front().args, "-1, 44100, 0, 0, 0");
    auto formats = fake::callsStartingWith("ChoosePixelFormat");
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0],
              "ChoosePixelFormat(size 40, version 1, flags 37, type 0, colour 32, depth 24, alpha 0, stencil 0)");
    EXPECT_EQ(fake::callsStartingWith("SetPixelFormat"), std::vector<std::string>{"SetPixelFormat(7)"});
}

TEST_F(PlayerTest, TheArcPhasesAreTheFirstThirtyRandomDraws) {
    installModules();
    Player built;
    // The next value must be the 31st of the sequence from its start.
    int expected = 0;
    std::uint64_t state = 1;
    for (int i = 0; i < 31; ++i) {
        state = (state * 214013u + 2531011u) % 4294967296u;
        expected = static_cast<int>((state >> 16) & 0x7FFF);
    }
    EXPECT_EQ(nextRandom(), expected);
}

TEST_F(PlayerTest, AFailedFontTakesNothingFromTheRandomSequence) {
    installModules();
    fake::script().createFontFails = true;
    Player built;
    std::uint64_t state = 1 * 214013u + 2531011u;
    EXPECT_EQ(nextRandom(), static_cast<int>((state >> 16) & 0x7FFF));
    EXPECT_EQ(built.currentTrack, 0);
}

}  // namespace

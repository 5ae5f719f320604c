// Shared set-up for tests that build a Player over the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "assets/track_table.h"
#include "platform/fake/fake_platform.h"
#include "player/player.h"
#include "render/layers.h"
#include "render/random.h"
#include "tests/support/recording_gl.h"

// Nine small stand-in modules, each "IMPM" followed by the slot number, so a
// test can tell from the bytes handed to the library which slot was loaded.
inline std::vector<std::uint8_t> moduleBytesFor(int slot) {
    return {'I', 'M', 'P', 'M', static_cast<std::uint8_t>('0' + slot)};
}

inline void installModules() {
    for (int slot = 0; slot < trackCount; ++slot)
        fake::addResource(trackTable[slot].resourceId, "IT", moduleBytesFor(slot));
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        recording_gl::reset();
        resetRandomForTesting();
        running = true;
        thePlayer = nullptr;
        mainWindow = nullptr;
    }

    void TearDown() override {
        if (thePlayer == player.get()) thePlayer = nullptr;
    }

    // A Player whose start-up completed with the nine stand-in modules.
    void buildPlayer() {
        installModules();
        player = std::make_unique<Player>();
        player->width = 480;
        player->height = 240;
        fake::clearCalls();
    }

    std::vector<std::string> bassCalls() { return fake::callsStartingWith("BASS_"); }

    std::vector<std::string> messageTexts() {
        std::vector<std::string> texts;
        for (const auto& box : fake::messageBoxes()) texts.push_back(box.caption + ": " + box.text);
        return texts;
    }

    std::unique_ptr<Player> player;
};

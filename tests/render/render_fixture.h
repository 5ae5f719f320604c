// A blank Player to draw with: its start-up is made to stop at the device
// context, so no picture, font, arc phase or track is set up and nothing is
// taken from the random sequence; each test sets the fields it needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "player/player.h"
#include "render/layers.h"
#include "render/random.h"
#include "tests/support/recording_gl.h"

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        fake::script().getDcFails = true;
        player = std::make_unique<Player>();
        player->width = 480;
        player->height = 240;
        fake::clearCalls();
        recording_gl::reset();
        resetRandomForTesting();
        for (int c = 0; c < 3; ++c) {
            arcHue[c] = 0.0f;
            ringHue[c] = 0.0f;
        }
        ringWobble = 0.0f;
    }

    static std::vector<recording_gl::Call> callsNamed(const std::string& name) {
        std::vector<recording_gl::Call> found;
        for (const recording_gl::Call& call : recording_gl::calls()) {
            if (call.name == name) {
                found.push_back(call);
            }
        }
        return found;
    }

    // Every recorded call as text, for comparing whole sequences.
    static std::vector<std::string> described() {
        std::vector<std::string> text;
        for (const recording_gl::Call& call : recording_gl::calls()) {
            text.push_back(recording_gl::describe(call));
        }
        return text;
    }

    std::unique_ptr<Player> player;
};

// The same generator, written out on its own so the tests do not lean on the
// code they check: 64-bit arithmetic reduced modulo 2^32 by hand.
class ReferenceRandom {
public:
    int next() {
        state_ = (state_ * 214013u + 2531011u) % 4294967296u;
        return static_cast<int>((state_ / 65536u) % 32768u);
    }
    void skip(int count) {
        for (int i = 0; i < count; ++i) {
            next();
        }
    }

private:
    std::uint64_t state_ = 1;
};

inline std::string text(const char* name, std::initializer_list<double> args) {
    recording_gl::Call call;
    call.name = name;
    call.args = args;
    return recording_gl::describe(call);
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

struct HeightCase {
    const char* name;
    std::int16_t sample;
    int height;
};

// Baseline 116, full scale 240 × 0.8 pixels; truncation toward zero.
const HeightCase heightCases[] = {
    {"most negative", -32768, -76},
    {"just below the bottom edge", -19969, -1},
    {"truncates toward zero, not down", -19798, 0},
    {"float 0.8 pulls half scale under 20", -16384, 19},
    {"minus one", -1, 115},
    {"silence", 0, 116},
    {"plus one", 1, 116},
    {"half scale", 16384, 212},
    {"most positive", 32767, 307},
};

void putSample(std::vector<std::uint8_t>& bytes, int offset, std::int16_t sample) {
    const auto bits = static_cast<std::uint16_t>(sample);
    bytes[offset] = static_cast<std::uint8_t>(bits & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(bits >> 8);
}

// Exact values of the fade at a few points, worked out separately.
struct AlphaCase {
    int k;
    float alpha;
};
const AlphaCase alphaCases[] = {
    {0, 0.2f},
    {1, 0.22094155848026276f},
    {30, 0.7656854391098022f},
    {60, 1.0f},
    {90, 0.7656854391098022f},
    {119, 0.22094155848026276f},
};

class ScopeTest : public RenderTest {
protected:
    // The calls for frame k start after glDisable, glLineWidth and glBegin; six per frame.
    static const recording_gl::Call& frameCall(int k, int index) {
        return recording_gl::calls().at(3 + 6 * k + index);
    }
};

TEST_F(ScopeTest, CapturesOnceWithTheChannelHandleEvenWhenThereIsNoModule) {
    player->channel.handle = 7;
    drawScope(*player);
    player->channel.handle = 0;
    drawScope(*player);
    EXPECT_EQ(fake::callsStartingWith("BASS_"),
              (std::vector<std::string>{"BASS_ChannelGetData(7, 480)", "BASS_ChannelGetData(0, 480)"}));
    EXPECT_EQ(recording_gl::count("glVertex2i"), 2u * 480u);
}

TEST_F(ScopeTest, SampleHeights) {
    for (const HeightCase& c : heightCases) {
        SCOPED_TRACE(c.name);
        // The same sample in both channels of every frame: checks the first and the last bytes read.
        std::vector<std::uint8_t> bytes(480);
        for (int k = 0; k < 120; ++k) {
            putSample(bytes, 4 * k, c.sample);
            putSample(bytes, 4 * k + 2, c.sample);
        }
        fake::script().captureBytes = bytes;
        recording_gl::reset();
        drawScope(*player);
        const recording_gl::Call& left = frameCall(0, 2);
        const recording_gl::Call& right = frameCall(119, 5);
        EXPECT_EQ(recording_gl::describe(left), text("glVertex2i", {0, static_cast<double>(c.height)}))
            << "sample " << c.sample;
        EXPECT_EQ(recording_gl::describe(right), text("glVertex2i", {476, static_cast<double>(c.height)}))
            << "sample " << c.sample;
    }
}

TEST_F(ScopeTest, DrawsEveryFrameAsAnOrangeAndABlueLineBetweenStateChanges) {
    // Left and right carry different samples, so a swapped channel or a byte
    // off by one shows in the heights.
    constexpr int caseCount = sizeof heightCases / sizeof heightCases[0];
    std::vector<std::uint8_t> bytes(480);
    for (int k = 0; k < 120; ++k) {
        putSample(bytes, 4 * k, heightCases[k % caseCount].sample);
        putSample(bytes, 4 * k + 2, heightCases[(k + 4) % caseCount].sample);
    }
    fake::script().captureBytes = bytes;
    drawScope(*player);

    const std::vector<recording_gl::Call>& calls = recording_gl::calls();
    ASSERT_EQ(calls.size(), 3u + 120u * 6u + 3u);
    EXPECT_EQ(recording_gl::describe(calls[0]), text("glDisable", {GL_LINE_SMOOTH}));
    EXPECT_EQ(recording_gl::describe(calls[1]), text("glLineWidth", {3}));
    EXPECT_EQ(recording_gl::describe(calls[2]), text("glBegin", {GL_LINES}));
    for (int k = 0; k < 120; ++k) {
        SCOPED_TRACE(::testing::Message() << "frame " << k);
        const double x = 4.0 * k;
        const double leftHeight = heightCases[k % caseCount].height;
        const double rightHeight = heightCases[(k + 4) % caseCount].height;
        const recording_gl::Call& orange = frameCall(k, 0);
        ASSERT_EQ(orange.name, "glColor4f");
        const double alpha = orange.args[3];
        EXPECT_EQ(recording_gl::describe(orange), text("glColor4f", {1.0, 0.5, 0.1f, alpha}));
        EXPECT_EQ(recording_gl::describe(frameCall(k, 1)), text("glVertex2i", {x, 116}));
        EXPECT_EQ(recording_gl::describe(frameCall(k, 2)), text("glVertex2i", {x, leftHeight}));
        EXPECT_EQ(recording_gl::describe(frameCall(k, 3)), text("glColor4f", {0.1f, 0.5, 1.0, alpha}));
        EXPECT_EQ(recording_gl::describe(frameCall(k, 4)), text("glVertex2i", {x, 116}));
        EXPECT_EQ(recording_gl::describe(frameCall(k, 5)), text("glVertex2i", {x, rightHeight}));
        // The fade follows half a sine wave from 0.2 up to 1.0.
        EXPECT_NEAR(alpha, 0.2 + 0.8 * std::sin(3.14159265358979 * k / 120.0), 1e-6);
    }
    EXPECT_EQ(recording_gl::describe(calls[723]), text("glEnd", {}));
    EXPECT_EQ(recording_gl::describe(calls[724]), text("glLineWidth", {1}));
    EXPECT_EQ(recording_gl::describe(calls[725]), text("glEnable", {GL_LINE_SMOOTH}));
    EXPECT_EQ(recording_gl::state().lineWidth, 1.0f);
    EXPECT_TRUE(recording_gl::isEnabled(GL_LINE_SMOOTH));
}

TEST_F(ScopeTest, FadeValues) {
    drawScope(*player);
    for (const AlphaCase& c : alphaCases) {
        EXPECT_EQ(frameCall(c.k, 0).args.at(3), static_cast<double>(c.alpha)) << "alpha(" << c.k << ")";
        EXPECT_EQ(frameCall(c.k, 3).args.at(3), static_cast<double>(c.alpha)) << "alpha(" << c.k << ")";
    }
}

TEST_F(ScopeTest, PartOfTheBufferTheCaptureLeavesUnfilledDrawsAsSilence) {
    // 100 bytes: 25 frames at full scale, then nothing.
    std::vector<std::uint8_t> bytes(100);
    for (int k = 0; k < 25; ++k) {
        putSample(bytes, 4 * k, 32767);
        putSample(bytes, 4 * k + 2, 32767);
    }
    fake::script().captureBytes = bytes;
    drawScope(*player);
    for (int k = 0; k < 120; ++k) {
        const double expected = k < 25 ? 307 : 116;
        EXPECT_EQ(frameCall(k, 2).args.at(1), expected) << "left line of frame " << k;
        EXPECT_EQ(frameCall(k, 5).args.at(1), expected) << "right line of frame " << k;
    }
}

}  // namespace

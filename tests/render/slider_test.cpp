#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

struct SliderCase {
    const char* name;
    int width;
    float volume;
    int x;      // expected sliderX
    int fillA;  // expected filled width
    int fillB;  // expected filled height
};

const SliderCase sliderCases[] = {
    {"silent: degenerate fill", 480, 0.0f, 190, 0, 0},
    {"half: 12.5 truncated", 480, 0.5f, 190, 50, 12},
    {"0.7 is stored below 0.7", 480, 0.7f, 190, 69, 17},
    {"0.01 is stored below 0.01", 480, 0.01f, 190, 0, 0},
    {"full", 480, 1.0f, 190, 100, 25},
    {"width 97: -1.5 truncates toward zero", 97, 0.5f, -1, 50, 12},
    {"width 99: -0.5 truncates to 0", 99, 0.5f, 0, 50, 12},
    {"width 481: 190.5 truncates", 481, 0.5f, 190, 50, 12},
};

std::vector<std::string> expectedCalls(int x, int a, int b, double outlineAlpha) {
    const double y = 35;
    return {
        text("glColor4f", {1, 1, 1, 0.4f}),
        text("glBegin", {GL_TRIANGLES}),
        text("glVertex2i", {static_cast<double>(x), y}),
        text("glVertex2i", {static_cast<double>(x + 100), y}),
        text("glVertex2i", {static_cast<double>(x + 100), y + 25}),
        text("glEnd", {}),
        text("glColor4f", {1, 1, 1, outlineAlpha}),
        text("glBegin", {GL_LINE_STRIP}),
        text("glVertex2i", {static_cast<double>(x), y}),
        text("glVertex2i", {static_cast<double>(x + 100), y}),
        text("glVertex2i", {static_cast<double>(x + 100), y + 25}),
        text("glVertex2i", {static_cast<double>(x), y}),
        text("glEnd", {}),
        text("glColor4f", {0.6f, 0.7f, 1, 0.5}),
        text("glBegin", {GL_TRIANGLES}),
        text("glVertex2i", {static_cast<double>(x), y}),
        text("glVertex2i", {static_cast<double>(x + a), y}),
        text("glVertex2i", {static_cast<double>(x + a), y + b}),
        text("glEnd", {}),
    };
}

using SliderTest = RenderTest;

TEST_F(SliderTest, RectangleAndTrianglesForWidthsAndVolumes) {
    for (const SliderCase& c : sliderCases) {
        SCOPED_TRACE(::testing::Message() << c.name << " (width " << c.width << ", volume " << c.volume << ")");
        recording_gl::reset();
        player->width = c.width;
        player->volume = c.volume;
        drawSlider(*player);
        EXPECT_EQ(player->sliderX, c.x);
        EXPECT_EQ(player->sliderY, 35);
        EXPECT_EQ(player->sliderW, 100);
        EXPECT_EQ(player->sliderH, 25);
        EXPECT_EQ(described(), expectedCalls(c.x, c.fillA, c.fillB, 0.4f));
    }
}

TEST_F(SliderTest, OutlineBrightensWhileThePointerIsOverIt) {
    player->hoverSlider = true;
    drawSlider(*player);
    EXPECT_EQ(described(), expectedCalls(190, 50, 12, 0.7f));

    recording_gl::reset();
    player->hoverSlider = false;
    drawSlider(*player);
    EXPECT_EQ(described(), expectedCalls(190, 50, 12, 0.4f));
}

}  // namespace

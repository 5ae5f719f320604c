#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

constexpr std::size_t pictureBytes = 64 * 64 * 4;

class ButtonsTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        // Distinct contents so that no two pictures share storage.
        player->discImage.assign(pictureBytes, 1);
        player->playIcon.assign(pictureBytes, 2);
        player->nextIcon.assign(pictureBytes, 3);
        player->pauseIcon.assign(pictureBytes, 4);
    }
};

std::string withoutPointer(const recording_gl::Call& call) {
    recording_gl::Call copy = call;
    copy.data = nullptr;
    return recording_gl::describe(copy);
}

TEST_F(ButtonsTest, SixPicturesAt480By240) {
    drawButtons(*player);
    const std::vector<recording_gl::Call>& calls = recording_gl::calls();
    const std::vector<std::string> expected = {
        text("glRasterPos2f", {208, 98}),     text("glDrawPixels", {64, 64, GL_RGBA, GL_UNSIGNED_BYTE}),
        text("glRasterPos2f", {137.6f, 98}),  text("glDrawPixels", {64, 64, GL_RGBA, GL_UNSIGNED_BYTE}),
        text("glRasterPos2f", {278.4f, 98}),  text("glDrawPixels", {64, 64, GL_RGBA, GL_UNSIGNED_BYTE}),
        text("glRasterPos2f", {208, 98}),     text("glDrawPixels", {64, 64, GL_RGBA, GL_UNSIGNED_BYTE}),
        text("glRasterPos2f", {278.4f, 98}),  text("glDrawPixels", {64, 64, GL_RGBA, GL_UNSIGNED_BYTE}),
        text("glPixelZoom", {-1, 1}),
        text("glRasterPos2f", {201.6f, 98}),  text("glDrawPixels", {64, 64, GL_RGBA, GL_UNSIGNED_BYTE}),
    };
    std::vector<std::string> actual;
    for (const recording_gl::Call& call : calls) {
        actual.push_back(withoutPointer(call));
    }
    EXPECT_EQ(actual, expected);
    ASSERT_EQ(calls.size(), expected.size());

    // isPlaying is true: the middle button shows the pause icon; the previous
    // button is the next icon again, mirrored by the zoom.
    const void* pictures[] = {player->discImage.data(), player->discImage.data(), player->discImage.data(),
                              player->pauseIcon.data(), player->nextIcon.data(), player->nextIcon.data()};
    const std::vector<recording_gl::Call> blits = callsNamed("glDrawPixels");
    ASSERT_EQ(blits.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(blits[i].data, pictures[i]) << "picture " << i + 1;
    }
    EXPECT_EQ(recording_gl::state().zoomX, -1.0f) << "the mirrored zoom is left for the next frame to reset";
    EXPECT_EQ(recording_gl::state().zoomY, 1.0f);
}

TEST_F(ButtonsTest, MiddleButtonShowsPlayWhilePaused) {
    player->isPlaying = false;
    drawButtons(*player);
    const std::vector<recording_gl::Call> blits = callsNamed("glDrawPixels");
    ASSERT_EQ(blits.size(), 6u);
    EXPECT_EQ(blits[3].data, player->playIcon.data());
}

TEST_F(ButtonsTest, RowCentresOnHalfPixelsForOddSizes) {
    player->width = 479;
    player->height = 241;
    drawButtons(*player);
    const std::vector<recording_gl::Call> positions = callsNamed("glRasterPos2f");
    ASSERT_EQ(positions.size(), 6u);
    // cx = 239.5, cy = 130.5, ry = 98.5.
    EXPECT_EQ(recording_gl::describe(positions[0]), text("glRasterPos2f", {207.5, 98.5}));
    EXPECT_EQ(recording_gl::describe(positions[1]), text("glRasterPos2f", {static_cast<float>(239.5 - 102.4f), 98.5}));
    EXPECT_EQ(recording_gl::describe(positions[5]), text("glRasterPos2f", {static_cast<float>(239.5 - 38.4f), 98.5}));
}

TEST_F(ButtonsTest, AShortPictureIsNotBlittedAndTheRestIsDrawnAsUsual) {
    player->pauseIcon.assign(pictureBytes - 1, 4);
    player->nextIcon.clear();
    player->hoverPlay = true;
    drawButtons(*player);
    const std::vector<recording_gl::Call> blits = callsNamed("glDrawPixels");
    ASSERT_EQ(blits.size(), 3u);
    for (const recording_gl::Call& blit : blits) {
        EXPECT_EQ(blit.data, player->discImage.data());
    }
    EXPECT_EQ(recording_gl::count("glRasterPos2f"), 6u);
    EXPECT_EQ(recording_gl::count("glPixelZoom"), 1u);
    EXPECT_EQ(recording_gl::count("glVertex2f"), 65u) << "the ring is still drawn";
}

// Vertices of the first ring of a run around the next button, worked out separately.
struct RingVertex {
    int index;
    float red, green, blue, x, y;
};
const RingVertex firstNextRing[] = {
    {0, 1.1999989748001099f, 1.1999914646148682f, 1.1999411582946777f, 310.3999938964844f, 157.99559020996094f},
    {1, 1.1875523328781128f, 1.1876304149627686f, 1.1877007484436035f, 316.9587097167969f, 162.97296142578125f},
    {32, 0.8296727538108826f, 0.885659396648407f, 1.0145986080169678f, 310.3999938964844f, 162.490966796875f},
    {64, 0.5208535194396973f, 0.7655304670333862f, 1.342542290687561f, 310.3999938964844f, 158.07098388671875f},
};

struct HoverCase {
    const char* name;
    bool Player::*flag;
    float centreX;
};
const HoverCase hoverCases[] = {
    {"play", &Player::hoverPlay, 240.0f},
    {"previous", &Player::hoverPrev, 169.6f},
    {"next", &Player::hoverNext, 310.4f},
};

TEST_F(ButtonsTest, RingRunsTwiceAroundItsButtonWithinItsRadii) {
    for (const HoverCase& c : hoverCases) {
        SCOPED_TRACE(c.name);
        recording_gl::reset();
        player->hoverPlay = player->hoverPrev = player->hoverNext = false;
        (*player).*c.flag = true;
        drawButtons(*player);
        const std::vector<recording_gl::Call>& calls = recording_gl::calls();
        // Six pictures and the zoom first, then one strip of 65 points.
        ASSERT_EQ(calls.size(), 13u + 1u + 65u * 2u + 1u);
        EXPECT_EQ(recording_gl::describe(calls[13]), text("glBegin", {GL_LINE_STRIP}));
        EXPECT_EQ(recording_gl::describe(calls.back()), text("glEnd", {}));
        for (int i = 0; i < 65; ++i) {
            const recording_gl::Call& colour = calls[14 + 2 * i];
            const recording_gl::Call& vertex = calls[15 + 2 * i];
            ASSERT_EQ(colour.name, "glColor4f");
            ASSERT_EQ(vertex.name, "glVertex2f");
            EXPECT_EQ(colour.args[3], static_cast<double>(0.7f)) << "vertex " << i;
            const double dx = vertex.args[0] - c.centreX;
            const double dy = vertex.args[1] - 130.0;
            const double distance = std::sqrt(dx * dx + dy * dy);
            EXPECT_GE(distance, 24.0 - 1e-3) << recording_gl::describe(vertex);
            EXPECT_LE(distance, 38.0 + 1e-3) << recording_gl::describe(vertex);
            // Clockwise from straight above, 32 points per turn.
            const double angle = 3.14159265358979 * i / 16.0;
            EXPECT_NEAR(dx, std::sin(angle) * distance, 1e-3) << "vertex " << i;
            EXPECT_NEAR(dy, std::cos(angle) * distance, 1e-3) << "vertex " << i;
        }
    }
}

TEST_F(ButtonsTest, FirstRingOfTheRun) {
    player->hoverNext = true;
    drawButtons(*player);
    const std::vector<recording_gl::Call> colours = callsNamed("glColor4f");
    const std::vector<recording_gl::Call> vertices = callsNamed("glVertex2f");
    ASSERT_EQ(colours.size(), 65u);
    ASSERT_EQ(vertices.size(), 65u);
    for (const RingVertex& v : firstNextRing) {
        EXPECT_EQ(recording_gl::describe(colours[v.index]), text("glColor4f", {v.red, v.green, v.blue, 0.7f}))
            << "vertex " << v.index;
        EXPECT_EQ(recording_gl::describe(vertices[v.index]), text("glVertex2f", {v.x, v.y})) << "vertex " << v.index;
    }
}

// The fortieth ring of a run drawn around (240, 130): by then the hue has run
// past the sine triple in places and the pulse has gone round once.
const RingVertex fortiethRing[] = {
    {0, 1.1352206468582153f, 0.5444521307945251f, 1.1575331687927246f, 240.0f, 165.75070190429688f},
    {1, 1.118423581123352f, 0.5447245836257935f, 1.1438781023025513f, 246.70216369628906f, 163.69407653808594f},
    {16, 0.868415117263794f, 0.5226287841796875f, 0.9585263729095459f, 240.0f, 96.85343933105469f},
    {32, 0.6064461469650269f, 0.4458950459957123f, 0.8335994482040405f, 240.0f, 165.32557678222656f},
    {48, 0.35036134719848633f, 0.3166155219078064f, 0.8233217000961304f, 240.0f, 96.70542907714844f},
    {64, 0.10119318962097168f, 0.13834691047668457f, 0.9509001970291138f, 240.00001525878906f, 164.0184783935547f},
};

TEST_F(ButtonsTest, FortiethRingOfTheRun) {
    for (int ring = 0; ring < 39; ++ring) {
        drawRing(240.0f, 130.0f, 32.0f);
    }
    recording_gl::reset();
    drawRing(240.0f, 130.0f, 32.0f);
    const std::vector<recording_gl::Call> colours = callsNamed("glColor4f");
    const std::vector<recording_gl::Call> vertices = callsNamed("glVertex2f");
    ASSERT_EQ(colours.size(), 65u);
    ASSERT_EQ(vertices.size(), 65u);
    for (const RingVertex& v : fortiethRing) {
        EXPECT_EQ(recording_gl::describe(colours[v.index]), text("glColor4f", {v.red, v.green, v.blue, 0.7f}))
            << "vertex " << v.index;
        EXPECT_EQ(recording_gl::describe(vertices[v.index]), text("glVertex2f", {v.x, v.y})) << "vertex " << v.index;
    }
}

TEST_F(ButtonsTest, ARingTakes65ValuesAndAdvancesItsAccumulators) {
    player->hoverPrev = true;
    // A step one unit in the last place off only shows while the sum is small;
    // starting below zero keeps it small for a whole ring.
    const float steps[3] = {std::nextafter(0.00225f, 1.0f), std::nextafter(0.00654f, 0.0f), 0.01716f};
    EXPECT_EQ(static_cast<double>(steps[0]), 0.002250000135973096);
    EXPECT_EQ(static_cast<double>(steps[1]), 0.006539999507367611);
    float expected[3] = {-0.125f, -0.4f, -1.0f};
    for (int c = 0; c < 3; ++c) {
        ringHue[c] = expected[c];
        for (int i = 0; i < 65; ++i) {
            expected[c] += steps[c];
        }
    }
    drawButtons(*player);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(ringHue[c], expected[c]) << "ringHue[" << c << "]";
    }
    EXPECT_EQ(ringWobble, 0.092f);
    ReferenceRandom reference;
    reference.skip(65);
    EXPECT_EQ(nextRandom(), reference.next());
}

TEST_F(ButtonsTest, NoRingWithoutAHoverFlag) {
    ringHue[0] = 1.0f;
    ringHue[1] = 2.0f;
    ringHue[2] = 3.0f;
    ringWobble = 4.0f;
    drawButtons(*player);
    EXPECT_EQ(recording_gl::count("glBegin"), 0u);
    EXPECT_EQ(ringHue[0], 1.0f);
    EXPECT_EQ(ringHue[1], 2.0f);
    EXPECT_EQ(ringHue[2], 3.0f);
    EXPECT_EQ(ringWobble, 4.0f);
    ReferenceRandom reference;
    EXPECT_EQ(nextRandom(), reference.next()) << "nothing was taken from the sequence";
}

TEST_F(ButtonsTest, RingHueStopsDriftingAtItsLimits) {
    const float limits[3] = {65536.0f, 131072.0f, 524288.0f};
    for (int c = 0; c < 3; ++c) {
        ringHue[c] = limits[c];
    }
    drawRing(240.0f, 130.0f, 32.0f);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(ringHue[c], limits[c]) << "ringHue[" << c << "]";
    }
    // Half the limit still moves.
    for (int c = 0; c < 3; ++c) {
        ringHue[c] = limits[c] / 2;
    }
    drawRing(240.0f, 130.0f, 32.0f);
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(ringHue[c], limits[c] / 2) << "ringHue[" << c << "]";
    }
}

}  // namespace

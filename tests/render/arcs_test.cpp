#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

struct ArcVertex {
    float red, green, blue, alpha, x, y;
};

// The first strand from each edge in the first frame of a run, 480 pixels
// wide, worked out separately from the arithmetic as described.
const ArcVertex firstLeftStrand[] = {
    {1.0499978065490723f, 1.049997329711914f, 1.0499905347824097f, 0.6000000238418579f, 0.0f, 39.896236419677734f},
    {0.9631060361862183f, 0.9631744623184204f, 0.9637594819068909f, 0.5f, 33.260902404785156f, 38.91201400756836f},
    {0.8768277764320374f, 0.8770354390144348f, 0.8788210153579712f, 0.4000000059604645f, 60.30335235595703f, 30.05279541015625f},
    {0.7911663055419922f, 0.7915841937065125f, 0.7951889038085938f, 0.30000001192092896f, 92.45704650878906f, 35.71916580200195f},
    {0.7061246633529663f, 0.706824541091919f, 0.712877094745636f, 0.20000000298023224f, 128.50917053222656f, 36.1168212890625f},
};
const ArcVertex firstRightStrand[] = {
    {1.0022473335266113f, 0.9910433292388916f, 0.8552054166793823f, 0.6000000238418579f, 480.0f, 40.54078674316406f},
    {0.9706059694290161f, 0.9665971398353577f, 0.8933791518211365f, 0.5f, 447.5179443359375f, 37.36045455932617f},
    {0.9397998452186584f, 0.9430942535400391f, 0.9332636594772339f, 0.4000000059604645f, 421.12982177734375f, 34.711753845214844f},
    {0.9098300933837891f, 0.9205357432365417f, 0.9748523235321045f, 0.30000001192092896f, 387.9098205566406f, 40.759605407714844f},
    {0.8806977868080139f, 0.8989226222038269f, 1.0181382894515991f, 0.20000000298023224f, 351.7722473144531f, 41.290321350097656f},
};

// The value at position index (from 0) of the sequence.
int randomValueAt(int index) {
    ReferenceRandom reference;
    reference.skip(index);
    return reference.next();
}

class ArcsTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        fillArcPhases(*player);  // the first 30 draws, as at start-up
        recording_gl::reset();
    }

    static void expectStrand(std::size_t first, const ArcVertex (&strand)[5]) {
        const std::vector<recording_gl::Call>& calls = recording_gl::calls();
        ASSERT_GE(calls.size(), first + 12);
        EXPECT_EQ(recording_gl::describe(calls[first]), text("glBegin", {GL_LINE_STRIP}));
        for (int j = 0; j < 5; ++j) {
            const ArcVertex& v = strand[j];
            EXPECT_EQ(recording_gl::describe(calls[first + 1 + 2 * j]),
                      text("glColor4f", {v.red, v.green, v.blue, v.alpha}))
                << "vertex " << j;
            EXPECT_EQ(recording_gl::describe(calls[first + 2 + 2 * j]), text("glVertex2f", {v.x, v.y}))
                << "vertex " << j;
        }
        EXPECT_EQ(recording_gl::describe(calls[first + 11]), text("glEnd", {}));
    }
};

TEST_F(RenderTest, FillArcPhasesTakesTheFirstThirtyDraws) {
    fillArcPhases(*player);
    ASSERT_EQ(player->arcPhases.size(), 30u);
    ReferenceRandom reference;
    for (int n = 0; n < 30; ++n) {
        const double expected = reference.next() / 32767.0 * 3.14159265358979 * 0.5;
        EXPECT_NEAR(player->arcPhases[n], expected, 1e-6) << "phase " << n;
    }
    EXPECT_EQ(nextRandom(), reference.next());
    EXPECT_TRUE(recording_gl::calls().empty());
}

TEST_F(ArcsTest, FirstStrandsFromEachEdge) {
    drawArcs(*player, 0.0f, 1.0f);
    expectStrand(0, firstLeftStrand);
    recording_gl::reset();
    drawArcs(*player, 480.0f, -1.0f);
    expectStrand(0, firstRightStrand);
}

TEST_F(ArcsTest, EachCallDrawsThirtyStrandsAndTakes330Values) {
    drawArcs(*player, 0.0f, 1.0f);
    EXPECT_EQ(recording_gl::count("glBegin"), 30u);
    EXPECT_EQ(recording_gl::count("glEnd"), 30u);
    EXPECT_EQ(recording_gl::count("glColor4f"), 150u);
    EXPECT_EQ(recording_gl::count("glVertex2f"), 150u);
    EXPECT_EQ(recording_gl::calls().size(), 30u * 12u);
    EXPECT_EQ(nextRandom(), randomValueAt(30 + 330));
}

TEST_F(ArcsTest, AFrameTakes660ValuesLeftEdgeFirst) {
    drawArcs(*player, 0.0f, 1.0f);
    drawArcs(*player, 480.0f, -1.0f);
    EXPECT_EQ(nextRandom(), randomValueAt(30 + 660));
}

TEST_F(ArcsTest, StrandsStartOnTheirEdgeAndReachInwardsWithinBounds) {
    for (int frame = 0; frame < 200; ++frame) {
        for (int side = 0; side < 2; ++side) {
            const double edge = side == 0 ? 0.0 : 480.0;
            const double inwards = side == 0 ? 1.0 : -1.0;
            recording_gl::reset();
            drawArcs(*player, static_cast<float>(edge), static_cast<float>(inwards));
            const std::vector<recording_gl::Call> vertices = callsNamed("glVertex2f");
            ASSERT_EQ(vertices.size(), 150u);
            for (std::size_t n = 0; n < 30; ++n) {
                const recording_gl::Call& start = vertices[5 * n];
                const recording_gl::Call& end = vertices[5 * n + 4];
                SCOPED_TRACE(::testing::Message() << "frame " << frame << " side " << side << " strand " << n
                                                  << ": " << recording_gl::describe(start) << " .. "
                                                  << recording_gl::describe(end));
                ASSERT_EQ(start.args[0], edge);
                ASSERT_GE(start.args[1], 0.0);
                ASSERT_LE(start.args[1], 240.0);
                const double reach = (end.args[0] - edge) * inwards;
                ASSERT_GE(reach, 80.0);
                ASSERT_LE(reach, 160.0);
                ASSERT_LE(std::fabs(end.args[1] - start.args[1]), 40.0 + 1e-4);
            }
            const std::vector<recording_gl::Call> colours = callsNamed("glColor4f");
            const float fade[5] = {0.6f, 0.5f, 0.4f, 0.3f, 0.2f};
            for (std::size_t i = 0; i < colours.size(); ++i) {
                ASSERT_EQ(colours[i].args[3], static_cast<double>(fade[i % 5])) << "vertex " << i;
                for (int c = 0; c < 3; ++c) {
                    ASSERT_GE(colours[i].args[c], 0.35 - 1e-6);
                    ASSERT_LE(colours[i].args[c], 1.05 + 1e-6);
                }
            }
        }
    }
}

TEST_F(ArcsTest, HueAdvancesByThreeHundredFloatAdditionsPerFrame) {
    const float steps[3] = {0.0035f, std::nextafter(0.0039f, 1.0f), 0.00736f};
    ASSERT_EQ(static_cast<double>(steps[1]), 0.003900000127032399);
    float expected[3] = {0.0f, 0.0f, 0.0f};
    const int frames = 400;
    for (int frame = 0; frame < frames; ++frame) {
        drawArcs(*player, 0.0f, 1.0f);
        drawArcs(*player, 480.0f, -1.0f);
        recording_gl::reset();
    }
    for (int i = 0; i < frames * 300; ++i) {
        for (int c = 0; c < 3; ++c) {
            expected[c] += steps[c];
        }
    }
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(arcHue[c], expected[c]) << "arcHue[" << c << "]";
    }
}

TEST_F(ArcsTest, HueStepsAreExactlyTheGivenFloats) {
    // A step one unit in the last place off only shows while the sum is small;
    // starting below zero keeps it small for a whole call.
    const float steps[3] = {0.0035f, std::nextafter(0.0039f, 1.0f), 0.00736f};
    float expected[3] = {-0.5f, -0.5f, -1.0f};
    for (int c = 0; c < 3; ++c) {
        arcHue[c] = expected[c];
        for (int i = 0; i < 150; ++i) {
            expected[c] += steps[c];
        }
    }
    drawArcs(*player, 0.0f, 1.0f);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(arcHue[c], expected[c]) << "arcHue[" << c << "]";
    }
}

TEST_F(ArcsTest, HueStopsDriftingOnceAStepIsBelowHalfAUnitInTheLastPlace) {
    arcHue[0] = 65536.0f;
    arcHue[1] = 65536.0f;
    arcHue[2] = 65536.0f;
    drawArcs(*player, 0.0f, 1.0f);
    EXPECT_EQ(arcHue[0], 65536.0f);
    EXPECT_EQ(arcHue[1], 65536.0f);
    EXPECT_GT(arcHue[2], 65536.0f) << "the blue step still counts at 65536";

    arcHue[2] = 131072.0f;
    drawArcs(*player, 0.0f, 1.0f);
    EXPECT_EQ(arcHue[2], 131072.0f);
}

TEST_F(ArcsTest, EmptyPhasesDrawNothingAndTakeNothing) {
    player->arcPhases.clear();
    drawArcs(*player, 0.0f, 1.0f);
    EXPECT_TRUE(recording_gl::calls().empty());
    EXPECT_EQ(arcHue[0], 0.0f);
    EXPECT_EQ(arcHue[1], 0.0f);
    EXPECT_EQ(arcHue[2], 0.0f);
    EXPECT_EQ(nextRandom(), randomValueAt(30));
}

TEST_F(ArcsTest, OnlyTheNumberOfPhasesMatters) {
    drawArcs(*player, 0.0f, 1.0f);
    const std::vector<std::string> withStartUpPhases = described();

    resetRandomForTesting();
    for (int i = 0; i < 30; ++i) {
        nextRandom();
    }
    arcHue[0] = arcHue[1] = arcHue[2] = 0.0f;
    player->arcPhases.assign(30, 5.0f);
    recording_gl::reset();
    drawArcs(*player, 0.0f, 1.0f);
    EXPECT_EQ(described(), withStartUpPhases);
}

}  // namespace

#include "tests/unit/player_fixture.h"

#include "render/frame.h"

namespace {

using recording_gl::Call;

class FrameTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        buildPlayer();
        thePlayer = player.get();
        recording_gl::reset();
    }

    std::vector<std::string> described(std::size_t from, std::size_t count) {
        std::vector<std::string> text;
        const auto& calls = recording_gl::calls();
        for (std::size_t i = from; i < from + count && i < calls.size(); ++i)
            text.push_back(recording_gl::describe(calls[i]));
        return text;
    }

    static std::string text(const char* name, std::initializer_list<double> args) {
        Call call;
        call.name = name;
        call.args = args;
        return recording_gl::describe(call);
    }

    std::size_t indexOf(const std::string& name, std::size_t from = 0) {
        const auto& calls = recording_gl::calls();
        for (std::size_t i = from; i < calls.size(); ++i)
            if (calls[i].name == name) return i;
        return calls.size();
    }
};

TEST_F(FrameTest, SetsUpTheWholeStateBeforeTheFirstLayer) {
    player->background.assign(480 * 220 * 4, 0x40);

    renderFrame();

    std::vector<std::string> stream = described(0, 17);
    // The pixels' address is checked on its own below.
    if (stream.size() > 14) stream[14] = stream[14].substr(0, stream[14].find(", 0x")) + ")@";
    EXPECT_EQ(stream,
              (std::vector<std::string>{
                  text("glViewport", {0, 0, 480, 240}), text("glMatrixMode", {GL_PROJECTION}),
                  text("glLoadIdentity", {}), text("glOrtho", {0, 480, 0, 240, -1, 1}),
                  text("glMatrixMode", {GL_MODELVIEW}), text("glLoadIdentity", {}),
                  text("glClearColor", {1, 1, 1, 1}), text("glClear", {GL_COLOR_BUFFER_BIT}),
                  text("glDisable", {GL_CULL_FACE}), text("glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}),
                  text("glEnable", {GL_BLEND}), text("glEnable", {GL_LINE_SMOOTH}), text("glPixelZoom", {1, 1}),
                  text("glRasterPos2f", {0, 0}),
                  text("glDrawPixels", {480, 220, GL_RGBA, GL_UNSIGNED_BYTE}) + "@",
                  // The oscilloscope is the first layer.
                  text("glDisable", {GL_LINE_SMOOTH}), text("glLineWidth", {3})}));
    EXPECT_EQ(recording_gl::calls()[14].data, player->background.data());
}

TEST_F(FrameTest, LeavesOutABackgroundShorterThanThePicture) {
    player->background.assign(480 * 220 * 4 - 1, 0x40);
    renderFrame();
    // The button pictures are empty in this Player too, so nothing at all is blitted.
    EXPECT_EQ(recording_gl::count("glDrawPixels"), 0u);
}

TEST_F(FrameTest, DrawsTheLayersInOrderAndPresentsLast) {
    player->hoverNext = true;
    renderFrame();
    const auto& calls = recording_gl::calls();
    std::size_t scope = indexOf("glLineWidth");
    std::size_t slider = indexOf("glBegin", indexOf("glEnable", scope));
    ASSERT_LT(slider, calls.size());
    EXPECT_EQ(calls[slider].args[0], GL_TRIANGLES);
    std::size_t firstArc = indexOf("glBegin", slider + 1);
    while (firstArc < calls.size() && calls[firstArc].args[0] != GL_LINE_STRIP) firstArc = indexOf("glBegin", firstArc + 1);
    ASSERT_LT(firstArc, calls.size());
    // The outline of the wedge is a line strip too; the arcs start at the left edge.
    std::size_t arcVertex = indexOf("glVertex2f", firstArc);
    EXPECT_EQ(calls[arcVertex].args[0], 0.0);
    std::size_t buttons = indexOf("glPixelZoom", firstArc);
    std::size_t title = indexOf("glPushAttrib", buttons);
    EXPECT_LT(arcVertex, buttons);
    EXPECT_LT(buttons, title);
    std::size_t colour = title - 1;
    EXPECT_EQ(recording_gl::describe(calls[colour]), text("glColor4f", {0.7f, 0.6f, 1.0f, 0.9f}));
    EXPECT_EQ(fake::callNames().back(), "SwapBuffers");
}

struct TitleCase {
    int width, height;
    float x, y;
};

class TitlePlacementTest : public FrameTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitlePlacementTest, CentresTheTitleOnHalfTheWidthWithItsBaseline40BelowTheTop) {
    const TitleCase& c = GetParam();
    player->width = c.width;
    player->height = c.height;
    renderFrame();
    std::size_t push = indexOf("glPushAttrib");
    ASSERT_LT(push + 1, recording_gl::calls().size());
    const Call& raster = recording_gl::calls()[push + 1];
    ASSERT_EQ(raster.name, "glRasterPos2f");
    // "1. Glass Orbit" is 14 characters of the fake's 12-pixel advance.
    EXPECT_EQ(raster.args[0], static_cast<double>(static_cast<float>(c.x - 14 * 12 * 0.5)));
    EXPECT_EQ(raster.args[1], c.y);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TitlePlacementTest,
                         ::testing::Values(TitleCase{480, 240, 240.0f, 200.0f}, TitleCase{475, 240, 237.5f, 200.0f},
                                           TitleCase{0, 0, 0.0f, -40.0f}));

TEST_F(FrameTest, AFrameBeforeTheFirstSizeStillMakesEveryCall) {
    player->width = 0;
    player->height = 0;
    renderFrame();
    EXPECT_EQ(recording_gl::describe(recording_gl::calls()[0]), text("glViewport", {0, 0, 0, 0}));
    EXPECT_EQ(fake::swapCount(), 1);
}

TEST_F(FrameTest, ATrackThatEndedIsFollowedByTheNextInTheSameFrame) {
    fake::script().bassIsActiveResult = BASS_ACTIVE_STOPPED;
    renderFrame();
    EXPECT_EQ(player->currentTrack, 1);
    std::size_t lists = indexOf("glCallLists");
    ASSERT_LT(lists, recording_gl::calls().size());
    EXPECT_EQ(recording_gl::calls()[lists].bytes, "2. Mr Quillop");
}

TEST_F(FrameTest, TheMirroredZoomOfTheButtonsNeverReachesTheNextBackground) {
    player->background.assign(480 * 220 * 4, 0x40);
    renderFrame();
    EXPECT_EQ(recording_gl::state().zoomX, -1.0f);
    recording_gl::reset();
    renderFrame();
    std::size_t background = indexOf("glDrawPixels");
    EXPECT_EQ(recording_gl::describe(recording_gl::calls()[background - 2]), text("glPixelZoom", {1, 1}));
}

}  // namespace

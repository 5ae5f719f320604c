// The title font above the platform layer: how buildFont drives the window
// system and OpenGL, and where drawTextCentred puts a line. The fake platform
// scripts the font results; the recording OpenGL stands in for libGL.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "render/bitmap_font.h"
#include "tests/support/recording_gl.h"

namespace {

char dcStorage = 0;
HDC const dc = reinterpret_cast<HDC>(&dcStorage);

std::vector<std::string> glCalls() {
    std::vector<std::string> out;
    for (const recording_gl::Call& call : recording_gl::calls()) out.push_back(recording_gl::describe(call));
    return out;
}

std::vector<std::string> platformCalls() {
    std::vector<std::string> out;
    for (const fake::Call& call : fake::calls()) out.push_back(call.text());
    return out;
}

const std::string createTitleFont = "CreateFontA(22, 0, 0, 0, 400, 0, 0, 0, 1, 4, 0, 4, 0, Consolas)";

std::vector<std::string> wholeBuild(unsigned base) {
    std::vector<std::string> calls = {createTitleFont, "SelectObject()"};
    for (int c = 32; c <= 127; ++c) calls.push_back("GetCharWidth32A(" + std::to_string(c) + ", " + std::to_string(c) + ")");
    calls.push_back("wglUseFontBitmapsA(32, 96, " + std::to_string(base) + ")");
    calls.push_back("DeleteObject()");
    return calls;
}

class TitleFont : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        recording_gl::reset();
    }
    BitmapFont font;
};

struct BuildCase {
    const char* name;
    unsigned baseBefore;
    unsigned genListsResult;
    bool createFontFails;
    bool expectedResult;
    unsigned expectedBase;
    std::vector<std::string> expectedGl;
    std::vector<std::string> expectedPlatform;
};

TEST_F(TitleFont, BuildOutcomes) {
    const BuildCase cases[] = {
        {"first build", 0, 200, false, true, 200, {"glDeleteLists(0, 96)", "glGenLists(96)"}, wholeBuild(200)},
        {"rebuild frees the earlier lists first", 50, 200, false, true, 200,
         {"glDeleteLists(50, 96)", "glGenLists(96)"}, wholeBuild(200)},
        {"no lists left", 0, 0, false, false, 0, {"glDeleteLists(0, 96)", "glGenLists(96)"}, {}},
        {"no font: the empty lists stay", 0, 200, true, false, 200, {"glDeleteLists(0, 96)", "glGenLists(96)"},
         {createTitleFont}},
    };
    for (const BuildCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake::reset();
        recording_gl::reset();
        recording_gl::setGenListsResult(c.genListsResult);
        fake::script().createFontFails = c.createFontFails;
        font.base = c.baseBefore;

        EXPECT_EQ(buildFont(dc, font), c.expectedResult);
        EXPECT_EQ(font.base, c.expectedBase);
        EXPECT_EQ(glCalls(), c.expectedGl);
        EXPECT_EQ(platformCalls(), c.expectedPlatform);
    }
}

TEST_F(TitleFont, WidthsComeFromTheDeviceContextForAll96Characters) {
    fake::script().charWidth = 12;
    fake::script().charWidthFor = {{32, 5}, {'&', 14}, {126, 9}, {127, 7}};
    ASSERT_TRUE(buildFont(dc, font));
    for (int i = 0; i < 96; ++i) {
        const int c = 32 + i;
        const int expected = c == 32 ? 5 : c == '&' ? 14 : c == 126 ? 9 : c == 127 ? 7 : 12;
        EXPECT_EQ(font.widths[i], expected) << "character " << c;
    }
}

TEST_F(TitleFont, DestroyingTheFontDeletesItsLists) {
    {
        BitmapFont built;
        built.base = 300;
    }
    EXPECT_EQ(glCalls(), std::vector<std::string>{"glDeleteLists(300, 96)"});
}

struct CentringCase {
    const char* name;
    std::string text;
    float x;
    float y;
    float expectedRasterX;
    std::string expectedDrawn;  // the bytes handed to glCallLists, all calls together
};

// Widths: 10 for every character but 'i' (5), '&' (13) and DEL (7).
TEST_F(TitleFont, LineIsCentredOnXFromTheWidthTable) {
    for (int i = 0; i < 96; ++i) font.widths[i] = 10;
    font.widths['i' - 32] = 5;
    font.widths['&' - 32] = 13;
    font.widths[127 - 32] = 7;
    font.base = 200;

    const CentringCase cases[] = {
        {"four copies of one character", "MMMM", 240.0f, 200.0f, 220.0f, "MMMM"},
        {"five copies: the start is half of 5 x 10 left", "MMMMM", 240.0f, 200.0f, 215.0f, "MMMMM"},
        {"odd line width starts on a half pixel", "Mi", 240.0f, 200.0f, 232.5f, "Mi"},
        {"odd window width centres on a half pixel", "MM", 237.5f, 200.0f, 227.5f, "MM"},
        {"ampersand counts like any glyph", "6. Build & Break", 240.0f, 200.0f, 161.0f, "6. Build & Break"},
        {"character 127 has a width", "M\x7f", 100.0f, 10.0f, 91.5f, "M\x7f"},
        {"empty text sits at the point", "", 240.0f, 200.0f, 240.0f, ""},
        {"bytes outside 32..127 count nothing and draw nothing", "M\tM\x80\xffi\x1f", 240.0f, 200.0f, 227.5f,
         "MMi"},
        {"only bytes outside the range", "\x01\x90", 50.0f, 60.0f, 50.0f, ""},
    };
    for (const CentringCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": \"" + c.text + "\"");
        recording_gl::reset();
        glListBase(77);
        recording_gl::calls().clear();

        drawTextCentred(font, c.text.c_str(), c.x, c.y);

        const std::vector<recording_gl::Call>& calls = recording_gl::calls();
        ASSERT_GE(calls.size(), 4u);
        EXPECT_EQ(recording_gl::describe(calls[0]), "glPushAttrib(131072)") << "GL_LIST_BIT";
        ASSERT_EQ(calls[1].name, "glRasterPos2f");
        EXPECT_EQ(calls[1].args[0], double(c.expectedRasterX));
        EXPECT_EQ(calls[1].args[1], double(c.y));
        EXPECT_EQ(recording_gl::describe(calls[2]), "glListBase(168)");
        EXPECT_EQ(calls.back().name, "glPopAttrib");
        std::string drawn;
        for (std::size_t i = 3; i + 1 < calls.size(); ++i) {
            ASSERT_EQ(calls[i].name, "glCallLists") << recording_gl::describe(calls[i]);
            EXPECT_EQ(calls[i].args[1], double(GL_UNSIGNED_BYTE));
            drawn += calls[i].bytes;
        }
        EXPECT_EQ(drawn, c.expectedDrawn);
        EXPECT_EQ(recording_gl::state().listBase, 77u) << "the caller's list base comes back";
    }
}

TEST_F(TitleFont, TitleInRangeIsOneCallWithTheTextItself) {
    font.base = 200;
    const char* title = "6. Build & Break";
    drawTextCentred(font, title, 240.0f, 200.0f);
    ASSERT_EQ(recording_gl::count("glCallLists"), 1u);
    for (const recording_gl::Call& call : recording_gl::calls()) {
        if (call.name != "glCallLists") continue;
        EXPECT_EQ(call.args[0], 16.0);
        EXPECT_EQ(call.data, title) << "handed over as it is, without a copy";
    }
}

}  // namespace

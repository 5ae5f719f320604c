// The glyph display lists, drawn for real: a private Xvfb, a hidden SDL window
// with an OpenGL context, the lists built by wglUseFontBitmapsA, and the
// pixels read back. Each glyph must land where FreeType puts it relative to
// the baseline, and a line must stay inside the box its advances and the
// 22-pixel cell describe.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl/font_face.h"
#include "platform/winapi.h"
#include "tests/font/private_display.h"

namespace {

constexpr int windowWidth = 480;
constexpr int windowHeight = 240;

char dcStorage[2];
HDC const dc = reinterpret_cast<HDC>(&dcStorage[0]);
HDC const fontlessDc = reinterpret_cast<HDC>(&dcStorage[1]);

HFONT createTitleFont() {
    return CreateFontA(22, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Consolas");
}

using Pixel = std::pair<int, int>;  // x, y in drawing coordinates (origin bottom left)

std::string describe(const std::set<Pixel>& pixels, std::size_t limit = 12) {
    std::ostringstream out;
    std::size_t shown = 0;
    for (const Pixel& p : pixels) {
        if (shown++ == limit) {
            out << " ...";
            break;
        }
        out << " (" << p.first << "," << p.second << ")";
    }
    return out.str();
}

struct Built {
    GLuint base = 0;
    int widths[96] = {};
    std::string file;
    int pixelsPerEm = 0;
    int cellAscent = 0;
    int cellDescent = 0;
};

class FontBitmaps : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display_ = new PrivateDisplay();
        if (!display_->ok()) {
            setupError_ = "no Xvfb could be started on :60 to :69";
            return;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            setupError_ = std::string("SDL_Init: ") + SDL_GetError();
            return;
        }
        window_ = SDL_CreateWindow("font test", 0, 0, windowWidth, windowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window_) context_ = SDL_GL_CreateContext(window_);
        if (!context_) {
            setupError_ = std::string("no GL context: ") + SDL_GetError();
            return;
        }
        // Build as the program does: select, ask the widths, make the lists,
        // then delete the font; the lists must outlive it.
        HFONT font = createTitleFont();
        if (!font) {
            setupError_ = "CreateFontA found no font";
            return;
        }
        const FontFace* face = findFontFace(font);
        built_.file = face->file;
        built_.pixelsPerEm = face->pixelsPerEm;
        built_.cellAscent = face->cellAscent;
        built_.cellDescent = face->cellDescent;
        SelectObject(dc, font);
        GetCharWidth32A(dc, 32, 127, built_.widths);
        built_.base = glGenLists(96);
        if (!wglUseFontBitmapsA(dc, 32, 96, built_.base)) setupError_ = "wglUseFontBitmapsA failed";
        DeleteObject(font);
    }

    static void TearDownTestSuite() {
        if (context_) SDL_GL_DeleteContext(context_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
        delete display_;
        display_ = nullptr;
    }

    void SetUp() override {
        if (!setupError_.empty()) FAIL() << setupError_;
    }

    // Draws text with the lists from base on black, baseline at (x, y), in pure
    // green, and returns the green pixels; any other colour fails the test.
    static std::set<Pixel> draw(GLuint base, const std::string& text, int x, int y) {
        glViewport(0, 0, windowWidth, windowHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(0, 1, 0);
        glRasterPos2i(x, y);
        glListBase(base - 32);
        glCallLists(GLsizei(text.size()), GL_UNSIGNED_BYTE, text.data());
        glFinish();

        std::vector<unsigned char> rgb(std::size_t(windowWidth) * windowHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::set<Pixel> lit;
        for (int row = 0; row < windowHeight; ++row) {
            for (int column = 0; column < windowWidth; ++column) {
                const unsigned char* p = &rgb[(std::size_t(row) * windowWidth + column) * 3];
                if (p[0] == 0 && p[1] == 255 && p[2] == 0) {
                    lit.insert({column, row});
                } else if (p[0] != 0 || p[1] != 0 || p[2] != 0) {
                    ADD_FAILURE() << "pixel (" << column << "," << row << ") is neither background nor text: "
                                  << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
                    return lit;
                }
            }
        }
        return lit;
    }

    // Where FreeType's own 1-bit rendering of c puts its pixels for a baseline at (x, y).
    static std::set<Pixel> freeTypeGlyph(char c, int x, int y) {
        std::set<Pixel> pixels;
        FT_Library library = nullptr;
        FT_Face face = nullptr;
        if (FT_Init_FreeType(&library) != 0) return pixels;
        if (FT_New_Face(library, built_.file.c_str(), 0, &face) == 0) {
            FT_Set_Pixel_Sizes(face, 0, FT_UInt(built_.pixelsPerEm));
            if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
                const FT_GlyphSlot glyph = face->glyph;
                const FT_Bitmap& bitmap = glyph->bitmap;
                for (unsigned row = 0; row < bitmap.rows; ++row)
                    for (unsigned column = 0; column < bitmap.width; ++column)
                        if (bitmap.buffer[row * bitmap.pitch + column / 8] & (0x80 >> (column % 8)))
                            pixels.insert({x + glyph->bitmap_left + int(column), y + glyph->bitmap_top - 1 - int(row)});
            }
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library);
        return pixels;
    }

    static PrivateDisplay* display_;
    static SDL_Window* window_;
    static SDL_GLContext context_;
    static std::string setupError_;
    static Built built_;
};

PrivateDisplay* FontBitmaps::display_ = nullptr;
SDL_Window* FontBitmaps::window_ = nullptr;
SDL_GLContext FontBitmaps::context_ = nullptr;
std::string FontBitmaps::setupError_;
Built FontBitmaps::built_;

TEST_F(FontBitmaps, EveryListFrom32To127AdvancesByItsWidth) {
    draw(built_.base, "", 0, 0);  // the frame's projection
    for (int i = 0; i < 96; ++i) {
        glRasterPos2i(10, 100);
        glCallList(built_.base + GLuint(i));
        GLfloat position[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        EXPECT_EQ(position[0], 10.0f + float(built_.widths[i])) << "character " << 32 + i;
        EXPECT_EQ(position[1], 100.0f) << "character " << 32 + i;
    }
}

TEST_F(FontBitmaps, GlyphsMatchFreeTypeOnTheBaseline) {
    // 'R' is asymmetric both ways, so a flipped or mirrored bitmap shows;
    // 'g' and 'j' reach below the baseline, '&' is drawn like any other glyph.
    for (char c : {'R', 'g', 'j', '&', '~'}) {
        const std::set<Pixel> drawn = draw(built_.base, std::string(1, c), 100, 120);
        const std::set<Pixel> expected = freeTypeGlyph(c, 100, 120);
        EXPECT_FALSE(expected.empty()) << "FreeType has no pixels for '" << c << "'";
        std::set<Pixel> missing;
        std::set<Pixel> extra;
        for (const Pixel& p : expected)
            if (!drawn.count(p)) missing.insert(p);
        for (const Pixel& p : drawn)
            if (!expected.count(p)) extra.insert(p);
        EXPECT_TRUE(missing.empty() && extra.empty())
            << "glyph '" << c << "': " << missing.size() << " missing:" << describe(missing) << "; " << extra.size()
            << " extra:" << describe(extra);
    }
}

TEST_F(FontBitmaps, SpaceDrawsNothingButAdvances) {
    const int space = built_.widths[0];
    ASSERT_GT(space, 0);
    const std::set<Pixel> drawn = draw(built_.base, " R", 100, 120);
    EXPECT_EQ(drawn, freeTypeGlyph('R', 100 + space, 120));
}

TEST_F(FontBitmaps, TitleStaysInsideTheBoxOfItsAdvancesAndCell) {
    const std::string title = "6. Build & Break";
    const int left = 20;
    const int baseline = 100;
    int lineWidth = 0;
    for (char c : title) lineWidth += built_.widths[c - 32];
    const int bottom = baseline - built_.cellDescent;
    const int top = baseline + built_.cellAscent;  // exclusive
    ASSERT_LE(top - bottom, 22);

    const std::set<Pixel> drawn = draw(built_.base, title, left, baseline);
    std::set<Pixel> outside;
    for (const Pixel& p : drawn)
        if (p.first < left || p.first >= left + lineWidth || p.second < bottom || p.second >= top) outside.insert(p);
    EXPECT_TRUE(outside.empty()) << outside.size() << " pixels outside x " << left << ".." << left + lineWidth - 1
                                 << ", y " << bottom << ".." << top - 1 << ":" << describe(outside);

    // Each visible character shows up in its own advance.
    int x = left;
    for (char c : title) {
        const int advance = built_.widths[c - 32];
        if (c != ' ') {
            bool any = false;
            for (const Pixel& p : drawn) any = any || (p.first >= x && p.first < x + advance);
            EXPECT_TRUE(any) << "nothing drawn for '" << c << "' in x " << x << ".." << x + advance - 1;
        }
        x += advance;
    }
}

TEST_F(FontBitmaps, CallersPixelStoreStateIsIgnoredAndKept) {
    HFONT font = createTitleFont();
    ASSERT_NE(font, nullptr);
    SelectObject(dc, font);
    const GLuint base = glGenLists(96);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 2);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
    EXPECT_TRUE(wglUseFontBitmapsA(dc, 32, 96, base));
    DeleteObject(font);

    const std::pair<GLenum, GLint> kept[] = {
        {GL_UNPACK_ALIGNMENT, 8}, {GL_UNPACK_ROW_LENGTH, 7}, {GL_UNPACK_SKIP_ROWS, 2}, {GL_UNPACK_LSB_FIRST, 1}};
    for (const auto& [name, value] : kept) {
        GLint now = -1;
        glGetIntegerv(name, &now);
        EXPECT_EQ(now, value) << "unpack parameter 0x" << std::hex << name;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    EXPECT_EQ(draw(base, "R", 100, 120), freeTypeGlyph('R', 100, 120));
    glDeleteLists(base, 96);
}

TEST_F(FontBitmaps, NoSelectedFontMakesNoLists) {
    // Names that are free: a list made under any of them would show in glIsList.
    const GLuint base = glGenLists(96);
    glDeleteLists(base, 96);
    EXPECT_FALSE(wglUseFontBitmapsA(fontlessDc, 32, 96, base));
    for (GLuint i = 0; i < 96; ++i) EXPECT_FALSE(glIsList(base + i)) << "a list was made without a font";
}

}  // namespace

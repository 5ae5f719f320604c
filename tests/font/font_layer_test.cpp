// The font calls over fontconfig and FreeType, without a display: which font a
// handle stands for, its size, its advance widths, and the device context's
// selection. Widths are checked against the font file opened here on its own.

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <vector>

#include "platform/sdl/font_face.h"
#include "platform/winapi.h"

namespace {

// The device context is opaque to the font layer; any distinct address will do.
char dcStorage[2];
HDC const dc = reinterpret_cast<HDC>(&dcStorage[0]);
HDC const otherDc = reinterpret_cast<HDC>(&dcStorage[1]);

HFONT createTitleFont(int height = 22) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Consolas");
}

// The same file the layer chose, opened independently at the layer's em size.
class IndependentFace {
public:
    IndependentFace(const std::string& file, int pixelsPerEm) {
        if (FT_Init_FreeType(&library_) != 0) return;
        if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0) face_ = nullptr;
        if (face_) FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixelsPerEm));
    }
    ~IndependentFace() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    FT_Face face() const { return face_; }

    // The whole-pixel hinted advance of a 1-bit rendering, -1 when the glyph does not load.
    int advance(unsigned code) const {
        if (FT_Load_Char(face_, code, FT_LOAD_TARGET_MONO) != 0) return -1;
        return int((face_->glyph->advance.x + 32) >> 6);
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class FontLayer : public ::testing::Test {
protected:
    void TearDown() override {
        for (HFONT font : created_) DeleteObject(font);
    }
    HFONT make(int height = 22) {
        HFONT font = createTitleFont(height);
        if (font) created_.push_back(font);
        return font;
    }
    std::vector<HFONT> created_;
};

TEST_F(FontLayer, MissingFaceIsMatchedToAnInstalledFontWhoseCellIsTheRequestedHeight) {
    HFONT font = make(22);
    ASSERT_NE(font, nullptr);
    const FontFace* face = findFontFace(font);
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(face->file.empty());

    // Measure the cell from the file's own metrics at the chosen em size.
    IndependentFace own(face->file, face->pixelsPerEm);
    ASSERT_NE(own.face(), nullptr) << face->file;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(own.face(), FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr) << "the matched font " << face->file << " has no OS/2 table";
    const double cellPixels =
        double(face->pixelsPerEm) * (os2->usWinAscent + os2->usWinDescent) / own.face()->units_per_EM;
    const double onePixelOfEm = double(os2->usWinAscent + os2->usWinDescent) / own.face()->units_per_EM;
    // The em size is whole pixels, so the cell lands within half an em step of 22.
    EXPECT_NEAR(cellPixels, 22.0, onePixelOfEm / 2 + 1e-9) << "em " << face->pixelsPerEm << " px, " << face->file;
    EXPECT_EQ(face->cellAscent + face->cellDescent, 22) << face->file;
}

TEST_F(FontLayer, NegativeHeightIsTheEmHeight) {
    HFONT font = make(-19);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(findFontFace(font)->pixelsPerEm, 19);
}

TEST_F(FontLayer, WidthsAreTheFontsWholePixelAdvances) {
    HFONT font = make();
    ASSERT_NE(font, nullptr);
    SelectObject(dc, font);
    const FontFace* face = findFontFace(font);
    IndependentFace own(face->file, face->pixelsPerEm);
    ASSERT_NE(own.face(), nullptr);

    for (unsigned c = 32; c <= 127; ++c) {
        int width = -1;
        ASSERT_TRUE(GetCharWidth32A(dc, c, c, &width)) << "character " << c;
        EXPECT_EQ(width, own.advance(c)) << "character " << c << " ('" << char(c) << "')";
    }
    int space = 0;
    GetCharWidth32A(dc, ' ', ' ', &space);
    EXPECT_GT(space, 0) << "a space takes room even though it has no bitmap";
}

TEST_F(FontLayer, RangeCallFillsOneWidthPerCharacterInOrder) {
    HFONT font = make();
    ASSERT_NE(font, nullptr);
    SelectObject(dc, font);
    std::vector<int> range(96 + 1, -7);  // one guard entry past the end
    ASSERT_TRUE(GetCharWidth32A(dc, 32, 127, range.data()));
    for (unsigned c = 32; c <= 127; ++c) {
        int single = 0;
        GetCharWidth32A(dc, c, c, &single);
        EXPECT_EQ(range[c - 32], single) << "character " << c;
    }
    EXPECT_EQ(range[96], -7) << "wrote past the last character";
    EXPECT_FALSE(GetCharWidth32A(dc, 40, 39, range.data())) << "last before first";
}

TEST_F(FontLayer, SelectionBelongsToOneDeviceContextAndReturnsThePreviousFont) {
    HFONT first = make();
    HFONT second = make(-12);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    int width = 0;
    EXPECT_FALSE(GetCharWidth32A(otherDc, 'A', 'A', &width)) << "no font selected yet";

    EXPECT_EQ(SelectObject(otherDc, first), nullptr) << "nothing was selected before";
    EXPECT_EQ(SelectObject(otherDc, second), first);
    int small = 0;
    ASSERT_TRUE(GetCharWidth32A(otherDc, 'M', 'M', &small));
    EXPECT_EQ(SelectObject(otherDc, first), second);
    int large = 0;
    ASSERT_TRUE(GetCharWidth32A(otherDc, 'M', 'M', &large));
    EXPECT_LT(small, large) << "the 12-pixel em should be narrower than the 22-pixel cell";

    EXPECT_EQ(SelectObject(otherDc, nullptr), nullptr) << "not a font";
    EXPECT_EQ(SelectObject(nullptr, first), nullptr) << "no device context";
}

TEST_F(FontLayer, DeletingASelectedFontLeavesTheDeviceContextWithout) {
    HFONT font = createTitleFont();
    ASSERT_NE(font, nullptr);
    SelectObject(dc, font);
    EXPECT_TRUE(DeleteObject(font));
    int width = 0;
    EXPECT_FALSE(GetCharWidth32A(dc, 'A', 'A', &width));
    EXPECT_FALSE(wglUseFontBitmapsA(dc, 32, 96, 1)) << "no font, no lists";
    EXPECT_EQ(findFontFace(font), nullptr);
    EXPECT_FALSE(DeleteObject(font)) << "already deleted";
    EXPECT_EQ(SelectObject(dc, font), nullptr) << "a deleted font cannot be selected";
}

}  // namespace

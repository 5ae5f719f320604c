// The title font: glyph display lists made once from the window system's font,
// and one centred line of text drawn with them.

#include <GL/gl.h>

#include <cstddef>

#include "render/bitmap_font.h"

namespace {

bool drawable(unsigned char c) { return c >= fontFirstChar && c < fontFirstChar + fontCharCount; }

}  // namespace

BitmapFont::~BitmapFont() { releaseFont(*this); }

bool buildFont(HDC hdc, BitmapFont& font) {
    glDeleteLists(font.base, fontCharCount);
    font.base = glGenLists(fontCharCount);
    if (font.base == 0) return false;

    // A missing face is matched to the closest installed one, so widths and
    // bitmaps always come from the same font and the centring stays right.
    HFONT face = CreateFontA(22, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Consolas");
    if (!face) return false;  // the empty lists stay allocated under font.base
    SelectObject(hdc, face);
    for (int i = 0; i < fontCharCount; ++i) {
        const UINT c = UINT(fontFirstChar + i);
        GetCharWidth32A(hdc, c, c, &font.widths[i]);
    }
    wglUseFontBitmapsA(hdc, fontFirstChar, fontCharCount, font.base);
    DeleteObject(face);
    return true;
}

// Bytes outside the font's range have no list and no width: they are left out
// of the line. Titles never hold such bytes, so the usual path hands the whole
// text to GL in one call and a frame allocates nothing.
void drawTextCentred(const BitmapFont& font, const char* text, float x, float y) {
    if (!text) text = "";
    int lineWidth = 0;
    std::size_t length = 0;
    bool allDrawable = true;
    for (; text[length] != '\0'; ++length) {
        const auto c = static_cast<unsigned char>(text[length]);
        if (drawable(c))
            lineWidth += font.widths[c - fontFirstChar];
        else
            allDrawable = false;
    }

    glPushAttrib(GL_LIST_BIT);
    glRasterPos2f(static_cast<float>(x - lineWidth * 0.5), y);
    glListBase(font.base - fontFirstChar);
    if (allDrawable) {
        glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    } else {
        std::size_t runStart = 0;
        for (std::size_t i = 0; i <= length; ++i) {
            if (i < length && drawable(static_cast<unsigned char>(text[i]))) continue;
            if (i > runStart) glCallLists(static_cast<GLsizei>(i - runStart), GL_UNSIGNED_BYTE, text + runStart);
            runStart = i + 1;
        }
    }
    glPopAttrib();
}

void releaseFont(BitmapFont& font) {
    glDeleteLists(font.base, fontCharCount);
    font.base = 0;
}

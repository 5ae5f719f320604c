// The title font: one OpenGL display list per character 32..127 and their advance widths.
#pragma once

#include <cstdint>

#include "platform/winapi.h"

constexpr int fontFirstChar = 32;
constexpr int fontCharCount = 96;

struct BitmapFont {
    std::uint32_t base = 0;                  // first of 96 display lists; 0 before a build
    std::int32_t widths[fontCharCount] = {};  // advance width of character 32 + i, in pixels

    BitmapFont() = default;
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;
};

// Builds the lists and widths from the title face at 22 pixels. Needs a current GL context.
bool buildFont(HDC hdc, BitmapFont& font);

// Draws text in the current colour, centred on x with its baseline at y.
// Characters outside 32..127 are skipped and count no width.
void drawTextCentred(const BitmapFont& font, const char* text, float x, float y);

void releaseFont(BitmapFont& font);

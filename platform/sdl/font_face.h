// The font layer's record of one created font: the FreeType face behind a
// font handle and the size it was set to. Nothing above the layer sees it;
// the font tests read it to check the sizing against the file itself.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "platform/winapi.h"

struct FontFace {
    FT_Face face = nullptr;
    std::string file;      // the font file fontconfig chose
    int pixelsPerEm = 0;   // the em size the face is set to
    int cellAscent = 0;    // pixels above the baseline in the character cell
    int cellDescent = 0;   // pixels below it
};

// The live font behind a handle from CreateFontA, or null for anything else
// (null, deleted, not a font).
const FontFace* findFontFace(HGDIOBJ object);

// The title font calls over fontconfig, FreeType and OpenGL display lists.
//
// CreateFontA asks fontconfig for the installed font closest to the face name,
// as the system's font mapper would when the named face is missing, and opens
// it with FreeType at the requested size. Selecting a font into a device
// context only records it here: the device context is an opaque handle from
// the window layer and nothing is drawn through it. wglUseFontBitmapsA renders
// each glyph at one bit per pixel into a display list of the GL context that
// is current, so the lists outlive the font object.

#include "platform/sdl/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H  // the OS/2 table: the Windows cell metrics
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/winapi.h"

namespace {

// The em size a height of 0 ("any size") gets.
constexpr int defaultPixelsPerEm = 12;

struct FontSystem {
    FT_Library library = nullptr;
    std::vector<std::unique_ptr<FontFace>> fonts;
    std::unordered_map<HDC, FontFace*> selected;

    ~FontSystem() {
        for (auto& font : fonts) FT_Done_Face(font->face);
        if (library) FT_Done_FreeType(library);
    }
};

FontSystem& fontSystem() {
    static FontSystem system;
    return system;
}

FT_Library freeType() {
    FontSystem& system = fontSystem();
    if (!system.library && FT_Init_FreeType(&system.library) != 0) system.library = nullptr;
    return system.library;
}

FontFace* findFont(HGDIOBJ object) {
    if (!object) return nullptr;
    for (auto& font : fontSystem().fonts)
        if (font.get() == object) return font.get();
    return nullptr;
}

FontFace* selectedFont(HDC dc) {
    auto& selected = fontSystem().selected;
    auto found = selected.find(dc);
    return found == selected.end() ? nullptr : found->second;
}

struct MatchedFile {
    std::string path;
    int index = 0;
};

// The face name goes in as a family value rather than through FcNameParse,
// which would read a '-' or ':' inside a face name as size or property syntax.
bool matchFontFile(const char* faceName, int weight, bool italic, int height, MatchedFile& out) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    if (faceName && faceName[0])
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    if (weight > 0)  // 0 is "don't care"
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (height != 0) FcPatternAddDouble(pattern, FC_PIXEL_SIZE, std::abs(height));

    bool found = false;
    if (FcConfigSubstitute(nullptr, pattern, FcMatchPattern)) {
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcChar8* file = nullptr;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            out.path = reinterpret_cast<const char*>(file);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &out.index) != FcResultMatch) out.index = 0;
            found = true;
        }
        if (match) FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return found;
}

// Font units of the character cell, internal leading included: the OS/2
// table's Windows ascent and descent, which is what a positive height is
// measured against; fonts without them fall back to FreeType's ascender and
// descender.
void cellUnits(FT_Face face, long& ascent, long& descent) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    } else {
        ascent = face->ascender;
        descent = -face->descender;
    }
    if (ascent + descent <= 0) {
        ascent = face->units_per_EM;
        descent = 0;
    }
}

bool setScalableSize(FontFace& font, int height) {
    FT_Face face = font.face;
    long ascent = 0;
    long descent = 0;
    cellUnits(face, ascent, descent);
    // TrueType hinting works at whole-pixel em sizes, so the cell is matched
    // to the nearest of those.
    int pixelsPerEm = defaultPixelsPerEm;
    if (height > 0)
        pixelsPerEm = static_cast<int>(std::lround(double(height) * face->units_per_EM / double(ascent + descent)));
    else if (height < 0)
        pixelsPerEm = -height;
    pixelsPerEm = std::max(pixelsPerEm, 1);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelsPerEm)) != 0) return false;
    font.pixelsPerEm = pixelsPerEm;
    font.cellAscent = static_cast<int>(std::lround(double(pixelsPerEm) * ascent / face->units_per_EM));
    font.cellDescent = static_cast<int>(std::lround(double(pixelsPerEm) * descent / face->units_per_EM));
    return true;
}

// A bitmap-only font offers fixed strikes: take the one whose cell (or em,
// for a negative height) is nearest to the request.
bool selectStrike(FontFace& font, int height) {
    FT_Face face = font.face;
    if (face->num_fixed_sizes <= 0) return false;
    int wanted = height == 0 ? defaultPixelsPerEm : std::abs(height);
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i) {
        int size = height < 0 ? int(face->available_sizes[i].y_ppem >> 6) : face->available_sizes[i].height;
        int bestSize = height < 0 ? int(face->available_sizes[best].y_ppem >> 6) : face->available_sizes[best].height;
        if (std::abs(size - wanted) < std::abs(bestSize - wanted)) best = i;
    }
    if (FT_Select_Size(face, best) != 0) return false;
    font.pixelsPerEm = int(face->size->metrics.y_ppem);
    font.cellAscent = int(face->size->metrics.ascender >> 6);
    font.cellDescent = int(-face->size->metrics.descender >> 6);
    return true;
}

// Widths and bitmaps come from the same hinted 1-bit load, so the advance a
// list moves by is the width GetCharWidth32A reports. The "A" calls take
// single-byte codes, looked up in the face's Unicode map as Latin-1, which
// agrees with the ANSI code page for every character the program draws.
bool loadGlyph(FT_Face face, UINT code) {
    return FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0;
}

int wholePixelAdvance(FT_GlyphSlot glyph) { return static_cast<int>((glyph->advance.x + 32) >> 6); }

bool pixelSet(const FT_Bitmap& bitmap, const unsigned char* row, unsigned x) {
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return row[x] >= 128;
    return false;
}

// glBitmap wants rows bottom-up, most significant bit first, byte-aligned;
// FreeType hands out top-down rows whose pitch may be negative (upward flow).
void packBottomUp(const FT_Bitmap& bitmap, std::vector<GLubyte>& out) {
    const unsigned stride = (bitmap.width + 7) / 8;
    out.assign(std::size_t(stride) * bitmap.rows, 0);
    const unsigned char* top = bitmap.buffer;
    if (bitmap.pitch < 0) top -= std::ptrdiff_t(bitmap.pitch) * (int(bitmap.rows) - 1);
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* source = top + std::ptrdiff_t(bitmap.pitch) * int(r);
        GLubyte* dest = out.data() + std::size_t(stride) * (bitmap.rows - 1 - r);
        for (unsigned x = 0; x < bitmap.width; ++x)
            if (pixelSet(bitmap, source, x)) dest[x >> 3] |= GLubyte(0x80 >> (x & 7));
    }
}

}  // namespace

const FontFace* findFontFace(HGDIOBJ object) { return findFont(object); }

// Only the height, weight, italic flag and face name steer the choice. Width,
// angles, underline and strike-out are drawn by nobody here (the program asks
// for none of them), and the quality does not matter because the only use of
// a font is to make 1-bit display-list bitmaps.
HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, const char* faceName) {
    FT_Library library = freeType();
    if (!library) return nullptr;
    MatchedFile file;
    if (!matchFontFile(faceName, weight, italic != 0, height, file)) return nullptr;

    auto font = std::make_unique<FontFace>();
    font->file = file.path;
    if (FT_New_Face(library, file.path.c_str(), file.index, &font->face) != 0) return nullptr;
    bool sized = FT_IS_SCALABLE(font->face) ? setScalableSize(*font, height) : selectStrike(*font, height);
    if (!sized) {
        FT_Done_Face(font->face);
        return nullptr;
    }
    fontSystem().fonts.push_back(std::move(font));
    return fontSystem().fonts.back().get();
}

// The previous font of the device context comes back, or null when it had
// none: unlike the system this imitates, a device context here starts with no
// font selected.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    FontFace* font = findFont(object);
    if (!dc || !font) return nullptr;
    FontFace*& slot = fontSystem().selected[dc];
    FontFace* previous = slot;
    slot = font;
    return previous;
}

BOOL GetCharWidth32A(HDC dc, UINT first, UINT last, int* widths) {
    FontFace* font = selectedFont(dc);
    if (!font || !widths || last < first) return FALSE;
    for (UINT code = first;; ++code) {
        widths[code - first] = loadGlyph(font->face, code) ? wholePixelAdvance(font->face->glyph) : 0;
        if (code == last) break;
    }
    return TRUE;
}

// Deleting a font that is still selected (the program deletes its font right
// after making the lists) also takes it out of the device context, so no
// later call can reach the freed face.
BOOL DeleteObject(HGDIOBJ object) {
    FontSystem& system = fontSystem();
    auto found = std::find_if(system.fonts.begin(), system.fonts.end(),
                              [object](const auto& font) { return font.get() == object; });
    if (found == system.fonts.end()) return FALSE;
    for (auto it = system.selected.begin(); it != system.selected.end();) {
        if (it->second == found->get())
            it = system.selected.erase(it);
        else
            ++it;
    }
    FT_Done_Face((*found)->face);
    system.fonts.erase(found);
    return TRUE;
}

BOOL wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD listBase) {
    FontFace* font = selectedFont(dc);
    if (!font) return FALSE;
    if (!glGetString(GL_VERSION)) return FALSE;  // no current context to hold the lists

    // glBitmap reads its data through the unpack state when the list is
    // compiled; the caller's state comes back afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    std::vector<GLubyte> bits;
    const GLubyte none = 0;
    for (DWORD i = 0; i < count; ++i) {
        glNewList(listBase + i, GL_COMPILE);
        if (loadGlyph(font->face, first + i)) {
            FT_GlyphSlot glyph = font->face->glyph;
            const FT_Bitmap& bitmap = glyph->bitmap;
            const auto advance = static_cast<GLfloat>(wholePixelAdvance(glyph));
            if (bitmap.width == 0 || bitmap.rows == 0) {
                glBitmap(0, 0, 0, 0, advance, 0, &none);
            } else {
                packBottomUp(bitmap, bits);
                glBitmap(GLsizei(bitmap.width), GLsizei(bitmap.rows), GLfloat(-glyph->bitmap_left),
                         GLfloat(int(bitmap.rows) - glyph->bitmap_top), advance, 0, bits.data());
            }
        }
        glEndList();
    }
    glPopClientAttrib();
    return TRUE;
}

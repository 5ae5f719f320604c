// With a fontconfig configuration that names no font directories there is no
// font to fall back on, and CreateFontA must say so with a null handle. This
// runs in its own executable: fontconfig reads its configuration once per
// process, so the setting has to come before any other font call.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/winapi.h"

TEST(FontLayerWithoutFonts, CreateFontFailsWhenNoFontFileCanBeFound) {
    char directory[] = "/tmp/font_no_fonts_XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string config = std::string(directory) + "/fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                             "<fontconfig><cachedir>" << directory << "/cache</cachedir></fontconfig>\n";
    ASSERT_EQ(setenv("FONTCONFIG_FILE", config.c_str(), 1), 0);

    HFONT font = CreateFontA(22, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Consolas");
    EXPECT_EQ(font, nullptr);
    char dcStorage = 0;
    HDC dc = reinterpret_cast<HDC>(&dcStorage);
    EXPECT_EQ(SelectObject(dc, font), nullptr);
    int width = -1;
    EXPECT_FALSE(GetCharWidth32A(dc, 'A', 'A', &width));
    EXPECT_EQ(width, -1);

    std::filesystem::remove_all(directory);
}

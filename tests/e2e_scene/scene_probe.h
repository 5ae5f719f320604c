// Pixel probes for screenshots of the player's scene at 480 x 240: what the
// pictures should look like where nothing else is drawn over them, and colour
// classes for the layers whose exact pixels change from frame to frame.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace scene {

// One of the program's own pictures as stored in the source tree, RGBA rows top first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};
// Loads assets/pictures/<name>.png; an empty picture when it cannot be read.
Picture loadPicture(const std::string& name);

// The button row: each picture is 64 x 64, its bottom row on window row 141
// (drawing row 98), so picture row j (top first, drawn upside down) lands on
// window row 141 - j. Left columns follow from the fractional raster positions
// 137.6 and 278.4: a pixel lands where its centre falls.
struct ButtonPlace {
    const char* name;
    int leftColumn;  // window column of picture column 0
    int hitX;        // centre of the hit circle, window x (y is 120)
    bool mirrored;   // the previous button shows the next icon mirrored
};
inline constexpr ButtonPlace previousButton{"previous", 138, 170, true};
inline constexpr ButtonPlace playButton{"play/pause", 208, 240, false};
inline constexpr ButtonPlace nextButton{"next", 278, 310, false};
inline constexpr int buttonBottomRow = 141;

struct PixelCount {
    int matching = 0;
    int total = 0;
    double fraction() const { return total == 0 ? 0.0 : static_cast<double>(matching) / total; }
};

// Compares the opaque part of a disc on screen with the disc and `icon`
// composed as the program blends them: pixels within `tolerance` per channel.
// Nothing but a glow ring is ever drawn over the opaque part of a disc, so a
// ring shows as mismatches there.
PixelCount discAgreement(const e2e::RgbImage& shot, const ButtonPlace& place, const Picture& disc, const Picture& icon,
                         int tolerance);

// Over the pixels near the middle disc's centre where `shown` and `other`
// (as composed over the disc) clearly differ: how many match `shown`. Kept
// inside the ring's reach so that a hovered button still answers.
PixelCount iconAgreement(const e2e::RgbImage& shot, const Picture& disc, const Picture& shown, const Picture& other);

// The background picture as it shows over the white clear: window row r
// shows picture row 239 - r (drawn with its first row at the bottom).
e2e::Rgb expectedBackground(const Picture& background, int x, int row);

// Colour classes.
bool isLavender(e2e::Rgb c);       // title text over the dark background
bool isScopeOrange(e2e::Rgb c);    // left channel line, strong enough to tell from arcs
bool isScopeBlue(e2e::Rgb c);      // right channel line
bool isSliderFill(e2e::Rgb c);     // light-blue fill over the faint white wedge
bool isSaturated(e2e::Rgb c);      // a scope line crossing another layer
int brightness(e2e::Rgb c);

// The box holding every pixel of a class within an area, and the count.
struct ClassBox {
    int count = 0;
    int left = 1 << 20;
    int right = -1;
    int top = 1 << 20;
    int bottom = -1;
};
ClassBox findClass(const e2e::RgbImage& shot, const std::function<bool(e2e::Rgb)>& inClass, int left, int top,
                   int right, int bottom);  // inclusive bounds

// Takes screenshots until `wanted` holds or the time runs out; returns the
// last one either way, and whether it held.
struct Polled {
    bool met = false;
    e2e::RgbImage shot;
};
Polled pollFrames(const e2e::VirtualDisplay& display, Window window,
                  const std::function<bool(const e2e::RgbImage&)>& wanted, std::chrono::milliseconds timeout);

}  // namespace scene

#include "tests/e2e_scene/scene_probe.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace scene {

namespace {

using e2e::Rgb;
using e2e::RgbImage;

std::uint8_t toByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Source over destination with the source's straight alpha.
Rgb blend(const std::uint8_t* source, Rgb below) {
    const double a = source[3] / 255.0;
    return {toByte(source[0] * a + below.r * (1 - a)), toByte(source[1] * a + below.g * (1 - a)),
            toByte(source[2] * a + below.b * (1 - a))};
}

int channelDistance(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

bool discOpaque(const Picture& disc, int i, int j) {
    return disc.at(i, j)[3] == 255;
}

// The disc with `icon` over it at picture pixel (i, j); the previous button's
// icon is laid out leftwards, so its column i comes from icon column 63 - i.
Rgb composed(const Picture& disc, const Picture& icon, bool mirrored, int i, int j) {
    const std::uint8_t* base = disc.at(i, j);
    return blend(icon.at(mirrored ? 63 - i : i, j), Rgb{base[0], base[1], base[2]});
}

}  // namespace

Picture loadPicture(const std::string& name) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    const std::string path = std::string(SCENE_PICTURE_DIR) + "/" + name + ".png";
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return picture;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgba = std::move(pixels);
    return picture;
}

PixelCount discAgreement(const RgbImage& shot, const ButtonPlace& place, const Picture& disc, const Picture& icon,
                         int tolerance) {
    PixelCount count;
    for (int j = 0; j < 64; ++j) {
        for (int i = 0; i < 64; ++i) {
            if (!discOpaque(disc, i, j)) {
                continue;
            }
            ++count.total;
            const Rgb expected = composed(disc, icon, place.mirrored, i, j);
            if (channelDistance(shot.at(place.leftColumn + i, buttonBottomRow - j), expected) <= tolerance) {
                ++count.matching;
            }
        }
    }
    return count;
}

PixelCount iconAgreement(const RgbImage& shot, const Picture& disc, const Picture& shown, const Picture& other) {
    // Ring vertices keep at least 24 pixels from the centre (picture centre
    // 31.5, 31.5); a smoothed line may touch one pixel further in.
    constexpr double reach = 21.0;
    PixelCount count;
    for (int j = 0; j < 64; ++j) {
        for (int i = 0; i < 64; ++i) {
            if (!discOpaque(disc, i, j) || std::hypot(i - 31.5, j - 31.5) > reach) {
                continue;
            }
            const Rgb expected = composed(disc, shown, false, i, j);
            if (channelDistance(expected, composed(disc, other, false, i, j)) <= 40) {
                continue;
            }
            ++count.total;
            if (channelDistance(shot.at(playButton.leftColumn + i, buttonBottomRow - j), expected) <= 8) {
                ++count.matching;
            }
        }
    }
    return count;
}

Rgb expectedBackground(const Picture& background, int x, int row) {
    return blend(background.at(x, 239 - row), Rgb{255, 255, 255});
}

bool isLavender(Rgb c) {
    // (0.7, 0.6, 1.0) at alpha 0.9 over the dark honeycomb.
    return channelDistance(c, Rgb{166, 143, 235}) <= 16;
}

bool isScopeOrange(Rgb c) {
    // Arcs reach at most alpha 0.6 over grey, so their red and blue stay
    // within about 100 of each other; a scope line of the middle part of
    // the trace is nearly opaque.
    return c.r - c.b > 150 && c.r - c.g > 50 && c.g - c.b > 30;
}

bool isScopeBlue(Rgb c) {
    return c.b - c.r > 150 && c.b - c.g > 50 && c.g - c.r > 30;
}

bool isSliderFill(Rgb c) {
    // (0.6, 0.7, 1.0) at alpha 0.5 over grey: blue about 50 above red,
    // green about 12 above it.
    return c.b - c.r >= 30 && c.b - c.r <= 80 && c.g - c.r >= 4 && c.g - c.r <= 25;
}

bool isSaturated(Rgb c) {
    return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > 70;
}

int brightness(Rgb c) {
    return (c.r + c.g + c.b) / 3;
}

ClassBox findClass(const RgbImage& shot, const std::function<bool(Rgb)>& inClass, int left, int top, int right,
                   int bottom) {
    ClassBox box;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (inClass(shot.at(x, y))) {
                ++box.count;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

Polled pollFrames(const e2e::VirtualDisplay& display, Window window,
                  const std::function<bool(const RgbImage&)>& wanted, std::chrono::milliseconds timeout) {
    Polled polled;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        polled.shot = display.screenshot(window);
        if (polled.shot.width == 480 && polled.shot.height == 240 && wanted(polled.shot)) {
            polled.met = true;
            return polled;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return polled;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}

}  // namespace scene

// picgen: draws the player's five pictures and writes them as PNG files.
//
//   picgen <output folder>
//
// writes disc.png, play.png, next.png, pause.png (64 x 64) and background.png
// (480 x 220), all 8-bit RGBA, not interlaced, with pHYs and cHRM chunks.
// Every run writes the same bytes: the drawing is plain double arithmetic on
// a fixed sample grid, and the compressor's level and filters are pinned.
//
// The player hands the pixels to glDrawPixels top row first, so every picture
// appears upside down on screen. The icons are symmetric about their middle
// row so that the flip does not show; the disc's darker lower rim ends up at
// the top, and the background's honeycomb is centred on a cell, so both still
// look right either way up.

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// A colour with premultiplied alpha, channels 0 to 1: sums and averages of
// samples only make sense in this form.
struct Sample {
    double r = 0, g = 0, b = 0, a = 0;
};

struct Colour {
    double r, g, b;
};

Sample opaque(Colour c, double alpha = 1.0) {
    return {c.r * alpha, c.g * alpha, c.b * alpha, alpha};
}

Colour mix(Colour from, Colour to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t};
}

Colour scaled(Colour c, double factor) {
    return {c.r * factor, c.g * factor, c.b * factor};
}

Colour bytes(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

double smoothstep(double edge0, double edge1, double v) {
    const double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

// What a picture looks like at a point (x right, y down, in pixels; pixel
// (i, j) spans x from i to i + 1 and y from j to j + 1).
using Shader = std::function<Sample(double x, double y)>;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // straight alpha, top row first
};

std::uint8_t toByte(double v) {
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0));
}

// Averages samples x samples points per pixel, so every edge is anti-aliased
// by its coverage. Pixels that no sample reaches keep matte as their colour
// with alpha 0; the player blends with straight alpha, so the colour of the
// faintest edge pixels must be the shape's own, not black.
Picture render(int width, int height, int samples, const Shader& shade, Colour matte) {
    Picture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    const double step = 1.0 / samples;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            Sample sum;
            for (int sj = 0; sj < samples; ++sj) {
                for (int si = 0; si < samples; ++si) {
                    const Sample s = shade(i + (si + 0.5) * step, j + (sj + 0.5) * step);
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            }
            const double count = double(samples) * samples;
            const double alpha = sum.a / count;
            Colour colour = matte;
            if (sum.a > 0) {
                colour = {sum.r / sum.a, sum.g / sum.a, sum.b / sum.a};
            }
            std::uint8_t* out = &picture.rgba[(std::size_t(j) * width + i) * 4];
            out[0] = toByte(colour.r);
            out[1] = toByte(colour.g);
            out[2] = toByte(colour.b);
            out[3] = toByte(alpha);
        }
    }
    return picture;
}

struct Point {
    double x, y;
};

// Signed distance from p to a convex polygon given clockwise on screen
// (y down): negative inside, the true Euclidean distance outside.
double polygonDistance(const std::vector<Point>& polygon, Point p) {
    double inside = -1e9;
    double outside = 1e9;
    for (std::size_t k = 0; k < polygon.size(); ++k) {
        const Point a = polygon[k];
        const Point b = polygon[(k + 1) % polygon.size()];
        const double ex = b.x - a.x;
        const double ey = b.y - a.y;
        const double length = std::sqrt(ex * ex + ey * ey);
        // Outward normal of a clockwise (on screen) edge.
        const double nx = ey / length;
        const double ny = -ex / length;
        inside = std::max(inside, (p.x - a.x) * nx + (p.y - a.y) * ny);
        const double t = clamp01(((p.x - a.x) * ex + (p.y - a.y) * ey) / (length * length));
        const double dx = p.x - (a.x + ex * t);
        const double dy = p.y - (a.y + ey * t);
        outside = std::min(outside, std::sqrt(dx * dx + dy * dy));
    }
    return inside <= 0 ? inside : outside;
}

// The icons: white shapes with corners rounded by cornerRadius, ringed by a
// faint dark band so that they stand out from the pale disc beneath them.
struct IconStyle {
    double cornerRadius = 1.6;
    double edgeWidth = 1.4;
    double edgeAlpha = 0.30;
};

const Colour white{1.0, 1.0, 1.0};
const Colour edgeColour = bytes(40, 24, 20);

Shader icon(std::vector<std::vector<Point>> shapes, IconStyle style) {
    return [shapes = std::move(shapes), style](double x, double y) {
        double d = 1e9;
        for (const auto& shape : shapes) {
            d = std::min(d, polygonDistance(shape, {x, y}) - style.cornerRadius);
        }
        if (d <= 0) {
            return opaque(white);
        }
        if (d <= style.edgeWidth) {
            return opaque(edgeColour, style.edgeAlpha * (1.0 - 0.5 * d / style.edgeWidth));
        }
        return Sample{};
    };
}

// A triangle pointing right, its tip at tipX and its back edge at backX,
// height 2 * halfHeight, centred on the middle row y = 32 of a 64-pixel icon.
std::vector<Point> rightTriangle(double backX, double tipX, double halfHeight) {
    return {{backX, 32.0 - halfHeight}, {tipX, 32.0}, {backX, 32.0 + halfHeight}};
}

std::vector<Point> bar(double left, double right, double top, double bottom) {
    return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

Picture drawPlay() {
    // The tip sits a little right of centre: a triangle centred on its box
    // looks shifted to the left.
    return render(64, 64, 8, icon({rightTriangle(24.0, 47.0, 13.0)}, IconStyle{}), white);
}

Picture drawNext() {
    return render(64, 64, 8,
                  icon({rightTriangle(16.5, 32.0, 10.0), rightTriangle(32.0, 47.5, 10.0)}, IconStyle{}),
                  white);
}

Picture drawPause() {
    return render(64, 64, 8, icon({bar(22.0, 27.5, 19.5, 44.5), bar(36.5, 42.0, 19.5, 44.5)}, IconStyle{}),
                  white);
}

// A pale peach disc filling the square, lit from above: it darkens towards
// its rim, more so at the bottom, with a soft sheen in its upper half.
Picture drawDisc() {
    const Colour face = bytes(255, 217, 204);
    const Colour rim = bytes(196, 142, 128);
    const Colour sheen = bytes(255, 236, 229);
    const double radius = 31.8;
    const Shader shade = [=](double x, double y) {
        const double u = (x - 32.0) / radius;
        const double v = (y - 32.0) / radius;  // +1 at the bottom
        const double r = std::sqrt(u * u + v * v);
        if (r > 1.0) {
            return Sample{};
        }
        const double lower = (v + 1.0) * 0.5;
        const double darkening = smoothstep(0.5, 1.0, r) * (0.35 + 0.65 * lower);
        Colour colour = mix(face, rim, darkening);
        const double su = u / 0.75;
        const double sv = (v + 0.42) / 0.42;
        const double glow = 1.0 - smoothstep(0.3, 1.0, std::sqrt(su * su + sv * sv));
        colour = mix(colour, sheen, 0.55 * glow);
        return opaque(colour);
    };
    return render(64, 64, 8, shade, rim);
}

// A honeycomb of flat-topped hexagons with light mesh lines over dark cells,
// each cell shaded deeper along its walls; the whole lit most in the middle.
Picture drawBackground() {
    const int width = 480;
    const int height = 220;
    const double side = 14.0;  // a hexagon's circumradius
    const double root3 = std::sqrt(3.0);
    const double apothem = side * root3 * 0.5;
    const double halfLine = 0.85;
    const Point centre{width * 0.5, height * 0.5};
    const Colour wall = bytes(104, 106, 110);
    const Colour cellMiddle = bytes(52, 53, 56);
    const Colour cellEdge = bytes(26, 26, 28);

    const Shader shade = [=](double x, double y) {
        // Lattice of cell centres: a = (1.5 s, s √3 / 2), b = (0, s √3),
        // one centre on the picture's middle.
        const double px = x - centre.x;
        const double py = y - centre.y;
        const double fi = px / (1.5 * side);
        const double fj = (py - fi * apothem) / (2.0 * apothem);
        double bestDistance = 1e18;
        Point offset{0, 0};
        for (int di = -1; di <= 1; ++di) {
            for (int dj = -1; dj <= 1; ++dj) {
                const double i = std::floor(fi) + di;
                const double j = std::floor(fj) + dj;
                const double cx = i * 1.5 * side;
                const double cy = i * apothem + j * 2.0 * apothem;
                const double dx = px - cx;
                const double dy = py - cy;
                const double distance = dx * dx + dy * dy;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    offset = {dx, dy};
                }
            }
        }
        const double across = std::max({std::abs(offset.y), std::abs(offset.x * root3 * 0.5 + offset.y * 0.5),
                                         std::abs(offset.x * root3 * 0.5 - offset.y * 0.5)});
        const double toWall = apothem - across;
        Colour colour = mix(cellEdge, cellMiddle, smoothstep(halfLine, apothem * 0.85, toWall));
        if (toWall < halfLine) {
            colour = wall;
        }
        const double ex = px / (width * 0.5);
        const double ey = py / (height * 0.5);
        const double light = 1.0 - smoothstep(0.0, 1.35, std::sqrt(ex * ex * 0.8 + ey * ey * 0.6));
        return opaque(scaled(colour, 0.35 + 0.95 * light));
    };
    return render(width, height, 4, shade, cellEdge);
}

bool writePng(const std::string& path, const Picture& picture) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "picgen: cannot create %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return false;
    }
    std::vector<png_bytep> rows(picture.height);
    for (int j = 0; j < picture.height; ++j) {
        rows[j] = const_cast<png_bytep>(&picture.rgba[std::size_t(j) * picture.width * 4]);
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::fprintf(stderr, "picgen: writing %s failed\n", path.c_str());
        return false;
    }
    png_init_io(png, file);
    // Pinned rather than left to defaults, so the bytes stay the same.
    png_set_compression_level(png, 9);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    // 72 dots per inch, and the sRGB primaries and white point.
    png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
    png_set_cHRM_fixed(png, info, 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picgen <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::array<std::pair<const char*, Picture (*)()>, 5> pictures{{
        {"disc.png", drawDisc},
        {"play.png", drawPlay},
        {"next.png", drawNext},
        {"pause.png", drawPause},
        {"background.png", drawBackground},
    }};
    for (const auto& [name, draw] : pictures) {
        if (!writePng(folder + "/" + name, draw())) {
            return 1;
        }
    }
    return 0;
}

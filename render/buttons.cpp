// The button row (previous, play/pause, next) and the glow ring around the
// button under the pointer. The pictures go to OpenGL as decoded, top row
// first, so each shows upside down; the previous icon is the next icon
// drawn with a pixel zoom of (-1, 1), which this layer leaves set.
#include <GL/gl.h>

#include <cmath>
#include <cstddef>

#include "player/player.h"
#include "render/layers.h"
#include "render/random.h"

float ringHue[3] = {0.0f, 0.0f, 0.0f};
float ringWobble = 0.0f;

namespace {

constexpr float pi = 3.1415927f;
constexpr int pictureSide = 64;
constexpr std::size_t pictureBytes = pictureSide * pictureSide * 4;
constexpr float buttonSpacing = 70.4f;
constexpr float outerEdge = 102.4f;  // spacing + half a picture
constexpr float innerEdge = 38.4f;   // spacing - half a picture
constexpr int ringPoints = 65;       // twice around, 32 per turn, plus the closing point

// Added before every ring vertex. The first two are one unit in the last place
// off the floats nearest to 0.00225 (above) and 0.00654 (below); the drift of
// the ring colours depends on those exact values.
constexpr float ringHueStep[3] = {0x1.26e97ap-9f, 0x1.ac9afcp-8f, 0.01716f};
static_assert(static_cast<double>(ringHueStep[0]) == 0.002250000135973096);
static_assert(static_cast<double>(ringHueStep[1]) == 0.006539999507367611);

float offset(float base, double by) {
    return static_cast<float>(static_cast<double>(base) + by);
}

// A picture that is empty or short (decoding failed) would be read past its
// end, so only its blit is left out; the raster position is set all the same.
void blit(float x, float y, const RgbaImage& picture) {
    glRasterPos2f(x, y);
    if (picture.size() >= pictureBytes) {
        glDrawPixels(pictureSide, pictureSide, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
    }
}

// The sum taken in double precision and stored as a float, as every step of the drift is.
float grow(float value, float step) {
    return static_cast<float>(static_cast<double>(value) + static_cast<double>(step));
}

// A cosine or sine of a float, rounded to a float.
float cosine(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}
float sine(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

// (cos h × 0.5 + 1) × 0.8 or the same with sin: 0.4 to 1.2.
float huePart(float trig) {
    return static_cast<float>((static_cast<double>(trig) * 0.5 + 1.0) * static_cast<double>(0.8f));
}

}  // namespace

void drawButtons(Player& player) {
    const float cx = static_cast<float>(static_cast<double>(player.width) * 0.5);
    const float cy = static_cast<float>(static_cast<double>(player.height) * 0.5 + 10.0);
    const float ry = offset(cy, -32.0);
    const double outer = static_cast<double>(outerEdge);
    const double inner = static_cast<double>(innerEdge);

    blit(offset(cx, -32.0), ry, player.discImage);
    blit(offset(cx, -outer), ry, player.discImage);
    blit(offset(cx, inner), ry, player.discImage);
    blit(offset(cx, -32.0), ry, player.isPlaying ? player.pauseIcon : player.playIcon);
    blit(offset(cx, inner), ry, player.nextIcon);
    // Laid out leftwards from its raster position and mirrored: the previous icon.
    glPixelZoom(-1.0f, 1.0f);
    blit(offset(cx, -inner), ry, player.nextIcon);

    const double spacing = static_cast<double>(buttonSpacing);
    if (player.hoverPlay) {
        drawRing(cx, cy, 32.0f);
    }
    if (player.hoverPrev) {
        drawRing(offset(cx, -spacing), cy, 32.0f);
    }
    if (player.hoverNext) {
        drawRing(offset(cx, spacing), cy, 32.0f);
    }
}

void drawRing(float centreX, float centreY, float baseRadius) {
    ringWobble = grow(ringWobble, 0.092f);
    // The slow pulse of the radius, the same for every point of one ring.
    const double wobble = std::fabs(static_cast<double>(cosine(ringWobble)));

    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < ringPoints; ++i) {
        for (int c = 0; c < 3; ++c) {
            ringHue[c] = grow(ringHue[c], ringHueStep[c]);
        }
        const double r = static_cast<double>(randomFraction());
        const float radius = static_cast<float>(
            (r * 10.0 + (wobble * 4.0 + static_cast<double>(baseRadius))) - 8.0);
        // t runs to 2, not 1: the strip goes twice around and the colours run
        // past the sine triple in the second turn.
        const float t = static_cast<float>(i * 0.03125);
        const float angle = static_cast<float>((static_cast<double>(t) + static_cast<double>(t)) *
                                               static_cast<double>(pi));
        float colour[3];
        for (int c = 0; c < 3; ++c) {
            const double p = huePart(cosine(ringHue[c]));
            const double q = huePart(sine(ringHue[c]));
            colour[c] = static_cast<float>(p + (q - p) * static_cast<double>(t));
        }
        glColor4f(colour[0], colour[1], colour[2], 0.7f);
        // Angle 0 is straight above the centre; the strip runs clockwise on screen.
        const double across = static_cast<double>(sine(angle)) * static_cast<double>(radius);
        const double up = static_cast<double>(cosine(angle)) * static_cast<double>(radius);
        glVertex2f(static_cast<float>(across + static_cast<double>(centreX)),
                   static_cast<float>(up + static_cast<double>(centreY)));
    }
    glEnd();
}

// Electric arcs: jagged five-point strands that flicker in from one side edge,
// redrawn at random on every frame, fading inwards, their colours drifting
// through arcHue.
#include <GL/gl.h>

#include <cmath>

#include "player/player.h"
#include "render/layers.h"
#include "render/random.h"

float arcHue[3] = {0.0f, 0.0f, 0.0f};

namespace {

constexpr float pi = 3.1415927f;
constexpr int pointsPerStrand = 5;
constexpr double startHeightRange = 240.0;  // a constant, not the window height

// Added before every vertex. The green step is one unit in the last place
// above the float nearest to 0.0039; the drift of the colours depends on it.
constexpr float hueStep[3] = {0.0035f, 0x1.ff2e4ap-9f, 0.00736f};
static_assert(static_cast<double>(hueStep[1]) == 0.003900000127032399);

// The sum taken in double precision and stored as a float, as every step of the drift is.
float grow(float value, float step) {
    return static_cast<float>(static_cast<double>(value) + static_cast<double>(step));
}

// (cos h × 0.5 + 1) × 0.7 or the same with sin: 0.35 to 1.05.
float huePart(float trig) {
    return static_cast<float>((static_cast<double>(trig) * 0.5 + 1.0) * static_cast<double>(0.7f));
}

}  // namespace

void fillArcPhases(Player& player) {
    player.arcPhases.assign(30, 0.0f);
    for (float& phase : player.arcPhases) {
        phase = static_cast<float>(static_cast<double>(randomFraction()) * static_cast<double>(pi) * 0.5);
    }
}

void drawArcs(Player& player, float startX, float direction) {
    // The fade runs from 0.6 to 0.2; the span is the difference of the two floats, taken exactly.
    const double fadeSpan = static_cast<double>(0.6f) - static_cast<double>(0.2f);
    const std::size_t strands = player.arcPhases.size();
    for (std::size_t n = 0; n < strands; ++n) {
        float x = startX;
        float y = static_cast<float>(static_cast<double>(randomFraction()) * startHeightRange);
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j < pointsPerStrand; ++j) {
            const double t = j * 0.25;
            float colour[3];
            for (int c = 0; c < 3; ++c) {
                arcHue[c] = grow(arcHue[c], hueStep[c]);
                const double hue = static_cast<double>(arcHue[c]);
                const float p = huePart(static_cast<float>(std::cos(hue)));
                const float q = huePart(static_cast<float>(std::sin(hue)));
                colour[c] = static_cast<float>(static_cast<double>(p) +
                                               (static_cast<double>(q) - static_cast<double>(p)) * t);
            }
            const float alpha = static_cast<float>(static_cast<double>(0.6f) - t * fadeSpan);
            glColor4f(colour[0], colour[1], colour[2], alpha);
            glVertex2f(x, y);
            // Taken after the last point too: every strand uses 11 values, and
            // the frames that follow depend on that count.
            x = static_cast<float>(static_cast<double>(x) +
                                   (static_cast<double>(randomFraction()) * 20.0 + 20.0) *
                                       static_cast<double>(direction));
            y = static_cast<float>(static_cast<double>(y) +
                                   (static_cast<double>(randomFraction()) * 20.0 - 10.0));
        }
        glEnd();
    }
}

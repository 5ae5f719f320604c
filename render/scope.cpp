// The stereo oscilloscope: 120 sample frames of the sound being heard, one
// orange line (left) and one blue line (right) per frame, rising or falling
// from a common baseline and fading towards both ends of the trace.
#include <GL/gl.h>

#include <cmath>
#include <cstdint>

#include "platform/audio_library.h"
#include "player/player.h"
#include "render/layers.h"

namespace {

constexpr int captureBytes = 480;
constexpr int frameCount = 120;  // 4 bytes per frame: left then right, 16-bit little-endian
constexpr int stepX = 4;
constexpr int baseline = 116;
constexpr float pi = 3.1415927f;

std::int16_t sampleAt(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(bytes[0] | (static_cast<unsigned>(bytes[1]) << 8)));
}

// Full scale (32768) spans 240 × 0.8 pixels. Kept in double right up to the
// truncation: rounding to float first would move some heights by a pixel.
int heightOf(std::int16_t sample) {
    const double scaled = (static_cast<double>(sample) / 32768.0) * 240.0;
    return static_cast<int>(scaled * static_cast<double>(0.8f) + static_cast<double>(baseline));
}

// 0.2 at the left end, 1.0 in the middle, about 0.221 at the right end.
float alphaAt(int k) {
    const float u = static_cast<float>(static_cast<double>(k) / 120.0);
    const float a = static_cast<float>(static_cast<double>(u) * static_cast<double>(pi));
    const float s = static_cast<float>(std::sin(static_cast<double>(a)));
    return static_cast<float>(static_cast<double>(s) * static_cast<double>(0.8f) +
                              static_cast<double>(0.2f));
}

}  // namespace

void drawScope(Player& player) {
    // Cleared first: when the capture fails (no module) or delivers less than
    // asked, the part it did not fill draws as silence instead of old stack bytes.
    std::uint8_t buffer[captureBytes] = {};
    BASS_ChannelGetData(player.channel.handle, buffer, captureBytes);

    // The trace is drawn crisp: 3-pixel lines, unsmoothed, at a 4-pixel step.
    glDisable(GL_LINE_SMOOTH);
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    for (int k = 0; k < frameCount; ++k) {
        const int x = k * stepX;
        const float alpha = alphaAt(k);
        const std::uint8_t* frame = buffer + k * 4;
        glColor4f(1.0f, 0.5f, 0.1f, alpha);
        glVertex2i(x, baseline);
        glVertex2i(x, heightOf(sampleAt(frame)));
        glColor4f(0.1f, 0.5f, 1.0f, alpha);
        glVertex2i(x, baseline);
        glVertex2i(x, heightOf(sampleAt(frame + 2)));
    }
    glEnd();
    glLineWidth(1.0f);
    glEnable(GL_LINE_SMOOTH);
}

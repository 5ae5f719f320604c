#include <cmath>

#include "player/player.h"

namespace {

constexpr float buttonSpacing = 70.4f;
constexpr float buttonRadius = 32.0f;

bool withinButton(float centreX, float centreY, float x, float y) {
    float dx = centreX - x;
    float dy = centreY - y;
    float squared = dx * dx + dy * dy;
    return std::sqrt(squared) <= buttonRadius;
}

}  // namespace

void Player::updatePointer(int x, int y) {
    float cx = static_cast<float>(width) * 0.5f;
    float cy = static_cast<float>(height) * 0.5f;

    int drawingY = height - y;
    hoverSlider = sliderX <= x && x <= sliderX + sliderW && sliderY <= drawingY && drawingY <= sliderY + sliderH;

    float px = static_cast<float>(x);
    float py = static_cast<float>(y);
    hoverPlay = withinButton(cx, cy, px, py);
    hoverPrev = withinButton(cx - buttonSpacing, cy, px, py);
    hoverNext = withinButton(cx + buttonSpacing, cy, px, py);

    if (mouseDown && hoverSlider) {
        float value = static_cast<float>(x - sliderX) / static_cast<float>(sliderW);
        volume = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
        channel.volume = volume;
        if (channel.handle != 0) BASS_ChannelSetAttribute(channel.handle, BASS_ATTRIB_MUSIC_AMPLIFY, amplificationFor(volume));
    }
}

void Player::pressPointer(int x, int y) {
    clickX = x;
    clickY = y;
    mouseDown = true;
    updatePointer(x, y);
    if (hoverPlay) togglePause();
    if (hoverPrev) stepTrack(false);
    if (hoverNext) stepTrack(true);
}

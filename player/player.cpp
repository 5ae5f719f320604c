#include "player/player.h"

#include "app/app.h"
#include "app/failure_report.h"
#include "assets/png_decoder.h"
#include "render/layers.h"

namespace {

PIXELFORMATDESCRIPTOR windowPixelFormat() {
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 24;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    return descriptor;
}

}  // namespace

Player::Player() : window(mainWindow) {
    // The channel brought the audio library up as it was built; a failure there was reported and we go on.
    if (!setUpOpenGl()) return;

    for (int slot = 0; slot < trackCount; ++slot)
        fillTrackSlot(slot, trackTable[slot].title, trackTable[slot].resourceId);

    loadImage(discImageId, discImage);
    loadImage(playIconId, playIcon);
    loadImage(nextIconId, nextIcon);
    loadImage(pauseIconId, pauseIcon);
    loadImage(backgroundId, background);

    if (buildFont(hdc, font)) {
        fillArcPhases(*this);
    } else {
        reportFailure("Failed to generate font");
    }

    stepTrack(true);
}

bool Player::setUpOpenGl() {
    PIXELFORMATDESCRIPTOR descriptor = windowPixelFormat();

    hdc = GetDC(window);
    if (hdc == nullptr) {
        reportFailure("Failed to get device context");
        return false;
    }
    int format = ChoosePixelFormat(hdc, &descriptor);
    if (format == 0) {
        reportFailure("Failed to choose pixel format");
        return false;
    }
    if (!SetPixelFormat(hdc, format, &descriptor)) {
        reportFailure("Failed to set pixel format");
        return false;
    }
    glContext = wglCreateContext(hdc);
    if (glContext == nullptr) {
        reportFailure("Failed to create GL context");
        return false;
    }
    if (!wglMakeCurrent(hdc, glContext)) {
        reportFailure("Failed to make GL context current");
        return false;
    }
    return true;
}

void Player::fillTrackSlot(int index, const char* slotTitle, std::uint16_t id) {
    TrackSlot& slot = tracks[index];
    slot.title = slotTitle;
    loadResource(slot.moduleBytes, id, "IT");
}

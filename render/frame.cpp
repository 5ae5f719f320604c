#include "render/frame.h"

#include <GL/gl.h>

#include "app/app.h"
#include "player/player.h"
#include "render/layers.h"

namespace {

constexpr int backgroundWidth = 480;
constexpr int backgroundHeight = 220;
constexpr std::size_t backgroundBytes = std::size_t{backgroundWidth} * backgroundHeight * 4;

// Drawing in window pixels, origin bottom left; the state every layer expects to find.
void setUpFrameState(const Player& player) {
    glViewport(0, 0, player.width, player.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, static_cast<double>(player.width), 0.0, static_cast<double>(player.height), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_SMOOTH);
    // The buttons leave a mirrored zoom behind; the background must not inherit it.
    glPixelZoom(1.0f, 1.0f);
    glRasterPos2f(0.0f, 0.0f);
}

void drawBackground(const Player& player) {
    // A picture that failed to decode is shorter than the blit would read: leave the white.
    if (player.background.size() < backgroundBytes) return;
    glDrawPixels(backgroundWidth, backgroundHeight, GL_RGBA, GL_UNSIGNED_BYTE, player.background.data());
}

}  // namespace

void renderFrame() {
    Player& player = *thePlayer;
    player.checkTrackEnd();

    setUpFrameState(player);
    drawBackground(player);
    drawScope(player);
    drawSlider(player);
    drawArcs(player, 0.0f, 1.0f);
    drawArcs(player, static_cast<float>(player.width), -1.0f);
    drawButtons(player);

    glColor4f(0.7f, 0.6f, 1.0f, 0.9f);
    float titleX = static_cast<float>(static_cast<double>(player.width) * 0.5);
    float titleY = static_cast<float>(player.height - 40);
    drawTextCentred(player.font, player.title.c_str(), titleX, titleY);

    SwapBuffers(player.hdc);
}

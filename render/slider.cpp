// The volume wedge: a faint right triangle, its outline (brighter under the
// pointer), and the part left of the current volume filled in light blue.
// The rectangle is stored for the pointer hit-testing on every frame, so it
// always matches what is on screen for the current width.
#include <GL/gl.h>

#include "player/player.h"
#include "render/layers.h"

void drawSlider(Player& player) {
    player.sliderW = 100;
    player.sliderH = 25;
    player.sliderX = static_cast<std::int32_t>(static_cast<double>(player.width - 100) * 0.5);
    player.sliderY = 35;

    const int x = player.sliderX;
    const int y = player.sliderY;
    const int w = player.sliderW;
    const int h = player.sliderH;

    glColor4f(1.0f, 1.0f, 1.0f, 0.4f);
    glBegin(GL_TRIANGLES);
    glVertex2i(x, y);
    glVertex2i(x + w, y);
    glVertex2i(x + w, y + h);
    glEnd();

    glColor4f(1.0f, 1.0f, 1.0f, player.hoverSlider ? 0.7f : 0.4f);
    glBegin(GL_LINE_STRIP);
    glVertex2i(x, y);
    glVertex2i(x + w, y);
    glVertex2i(x + w, y + h);
    glVertex2i(x, y);
    glEnd();

    // The wedge scaled about its left corner. Truncating the product of the
    // float volume matters at the edges: 0.01 is stored just below 0.01 and fills nothing.
    const double volume = static_cast<double>(player.volume);
    const int a = static_cast<int>(static_cast<double>(w) * volume);
    const int b = static_cast<int>(static_cast<double>(h) * volume);
    glColor4f(0.6f, 0.7f, 1.0f, 0.5f);
    glBegin(GL_TRIANGLES);
    glVertex2i(x, y);
    glVertex2i(x + a, y);
    glVertex2i(x + a, y + b);
    glEnd();
}

// The drawing layers of a frame, bottom to top. Each sets its own colours and
// leaves line width 1 and line smoothing on, as it found them.
#pragma once

class Player;

void drawScope(Player& player);
void drawSlider(Player& player);
void fillArcPhases(Player& player);
void drawArcs(Player& player, float startX, float direction);
void drawButtons(Player& player);
void drawRing(float centreX, float centreY, float baseRadius);

// Program-wide colour accumulators; each only grows and is changed by its one layer.
extern float arcHue[3];
extern float ringHue[3];
extern float ringWobble;

// The program's one pseudo-random sequence. Its order of use is part of the
// picture: the arc phases take the first 30 values, then every frame takes
// 660 for the arcs and 65 per glow ring.
#pragma once

#include <cstdint>

// 0 to 32767.
int nextRandom();

// nextRandom() / 32767 as a 32-bit float, 0 to 1 inclusive.
float randomFraction();

// Starts the sequence over from its initial state (tests only; the program never reseeds).
void resetRandomForTesting();

#include "render/random.h"

namespace {

// A linear congruential generator; its whole period is never reached in a run.
std::uint32_t randomState = 1;

}  // namespace

int nextRandom() {
    // Unsigned arithmetic wraps modulo 2^32, which is exactly the recurrence wanted.
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

float randomFraction() {
    return static_cast<float>(static_cast<double>(nextRandom()) / 32767.0);
}

void resetRandomForTesting() {
    randomState = 1;
}

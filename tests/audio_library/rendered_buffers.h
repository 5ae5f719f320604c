// Renders whole device buffers through the library's callback on the test's
// own thread, for tests that stop the output to compare output to the sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sdl/audio_internal.h"

inline std::vector<std::int16_t> renderedBuffers(std::size_t buffers, std::size_t bufferFrames) {
    std::vector<std::int16_t> out(buffers * bufferFrames * 2);
    for (std::size_t b = 0; b < buffers; ++b)
        audio_internal::renderCallback(nullptr, reinterpret_cast<std::uint8_t*>(out.data() + b * bufferFrames * 2),
                                      static_cast<int>(bufferFrames * 4));
    return out;
}

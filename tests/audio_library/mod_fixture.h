// Builds small 4-channel ProTracker modules in memory, so the audio tests and
// the render benchmark need no file from anywhere else.
//
// The tune: one looping sawtooth sample at a quarter of full volume (peaks
// near a quarter of full scale, so a gain of 2 does not clip); channel 0
// (left) and channel 1 (right) strike a new note on every row, each walking
// its own scale, so any two stretches of the output differ and no stereo
// frame is silent for long. Channels 2 and 3 carry the speed and the break.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mod_fixture {

struct Options {
    int patterns = 1;   // orders played, one fresh pattern each
    int rows = 64;      // rows played per pattern (a break after the last one when below 64)
    int speed = 6;      // ticks per row; 125 BPM makes a tick 20 ms
};

inline std::vector<std::uint8_t> makeModule(const Options& options) {
    constexpr std::size_t headerSize = 1084;
    constexpr std::size_t patternSize = 64 * 4 * 4;
    constexpr int sampleLength = 64;  // bytes; one cycle of the saw
    std::vector<std::uint8_t> mod(headerSize + patternSize * options.patterns + sampleLength, 0);

    const char title[] = "audio test tune";
    for (std::size_t i = 0; i + 1 < sizeof title; ++i) mod[i] = static_cast<std::uint8_t>(title[i]);

    // Sample 1: length and loop in 16-bit words, big-endian; full volume, whole sample looped.
    std::uint8_t* sample = &mod[20];
    sample[22] = 0;
    sample[23] = sampleLength / 2;
    sample[24] = 0;   // finetune
    sample[25] = 16;  // volume
    sample[26] = 0;
    sample[27] = 0;   // loop start
    sample[28] = 0;
    sample[29] = sampleLength / 2;  // loop length
    for (int s = 1; s < 31; ++s) mod[20 + s * 30 + 29] = 1;  // empty samples: loop length 1 means none

    mod[950] = static_cast<std::uint8_t>(options.patterns);
    mod[951] = 127;
    for (int p = 0; p < options.patterns; ++p) mod[952 + p] = static_cast<std::uint8_t>(p);
    mod[1080] = 'M';
    mod[1081] = '.';
    mod[1082] = 'K';
    mod[1083] = '.';

    // Amiga periods of two octaves of a major scale.
    static const int periods[] = {428, 381, 339, 320, 285, 254, 226, 214, 190, 170, 160, 143, 127, 113};
    constexpr int scale = sizeof periods / sizeof periods[0];
    auto cell = [&](int pattern, int row, int channel) {
        return &mod[headerSize + pattern * patternSize + (row * 4 + channel) * 4];
    };
    for (int p = 0; p < options.patterns; ++p) {
        for (int row = 0; row < 64; ++row) {
            int step = p * 64 + row;
            int leftPeriod = periods[step % scale];
            int rightPeriod = periods[(step * 3 + 5) % scale];
            for (int channel : {0, 1}) {
                int period = channel == 0 ? leftPeriod : rightPeriod;
                std::uint8_t* c = cell(p, row, channel);
                c[0] = static_cast<std::uint8_t>((period >> 8) & 0x0F);  // sample 1: high nibble 0
                c[1] = static_cast<std::uint8_t>(period & 0xFF);
                c[2] = 0x10;  // sample 1 low nibble, no effect
                c[3] = 0;
            }
        }
        std::uint8_t* speed = cell(p, 0, 2);
        speed[2] = 0x0F;  // Fxx: set speed
        speed[3] = static_cast<std::uint8_t>(options.speed);
        if (options.rows < 64) {
            std::uint8_t* jump = cell(p, options.rows - 1, 3);
            jump[2] = 0x0D;  // Dxx: break to row 0 of the next order
            jump[3] = 0;
        }
    }

    std::uint8_t* wave = &mod[headerSize + patternSize * options.patterns];
    for (int i = 0; i < sampleLength; ++i) wave[i] = static_cast<std::uint8_t>(static_cast<std::int8_t>(i * 4 - 128 + 2));
    return mod;
}

}  // namespace mod_fixture

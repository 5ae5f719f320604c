// Compiles our chiptune song text into an Impulse Tracker module.
//
// Failure convention: compileSong returns a result whose `error` is empty on
// success and whose `module` then holds the whole file; on failure `module` is
// empty and `error` reads "file:line:column: expected ...".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace songc {

// Kept at 8 so every song stays small enough to read as a whole and to mix
// without clipping at the player's loudest setting.
inline constexpr int maxChannels = 8;
inline constexpr int maxPatternRows = 200;

struct CompileResult {
    std::vector<std::uint8_t> module;
    std::string error;
};

CompileResult compileSong(std::string_view text, const std::string& fileName);

// The chip waveforms and drum hits, as signed 8-bit samples.
struct Waveform {
    std::vector<std::int8_t> data;
    std::uint32_t c5Speed = 0;
    bool looped = false;
};

// Returns false when `name` is not one of the known waveforms.
bool makeWaveform(std::string_view name, Waveform& out);

}  // namespace songc

// What the program played, as SDL's disk audio driver wrote it, and what it
// should have played, rendered straight from the module files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e_audio {

constexpr int sampleRate = 44100;

// Interleaved stereo 16-bit samples.
struct Sound {
    std::vector<std::int16_t> samples;

    std::size_t frames() const { return samples.size() / 2; }
    bool silentAt(std::size_t frame) const { return samples[frame * 2] == 0 && samples[frame * 2 + 1] == 0; }
};

constexpr std::size_t framesIn(double seconds) { return static_cast<std::size_t>(seconds * sampleRate); }

// A module's first `seconds`, rendered the way the program renders it
// (44100 Hz stereo, 8-tap interpolation, default ramping, played once, no
// dither) at the given master gain. Renders are cached per module and gain.
const Sound& reference(const std::string& moduleName, int millibel, double seconds);
std::string modulePath(const std::string& moduleName);

// A raw S16LE stereo file; a frame still half written at the end is left out.
Sound readRaw(const std::string& path);

// First frame at or after `from` with a sample that is not zero.
std::optional<std::size_t> firstSound(const Sound& sound, std::size_t from);
// Start of the first run of at least `length` all-zero frames at or after `from`.
std::optional<std::size_t> findSilence(const Sound& sound, std::size_t from, std::size_t length);

// Sample-by-sample comparison of `count` frames of `actual` from `actualAt`
// with `expected` from `expectedAt`; frames past the end of either count as
// missing.
struct Comparison {
    std::size_t compared = 0;
    std::size_t requested = 0;
    int largestDifference = 0;
    std::size_t worstFrame = 0;  // offset from the start of the comparison
    bool within(int tolerance) const { return compared == requested && largestDifference <= tolerance; }
};
std::ostream& operator<<(std::ostream& out, const Comparison& comparison);
Comparison compare(const Sound& actual, std::size_t actualAt, const Sound& expected, std::size_t expectedAt,
                   std::size_t count);

// First frame at or after `from` where `actual` repeats `count` frames of
// `expected` from `expectedAt`, each sample within `tolerance`.
std::optional<std::size_t> findExcerpt(const Sound& actual, std::size_t from, const Sound& expected,
                                       std::size_t expectedAt, std::size_t count, int tolerance);

// Root mean square over both channels of `count` frames from `at`.
double rms(const Sound& sound, std::size_t at, std::size_t count);

}  // namespace e2e_audio

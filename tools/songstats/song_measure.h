// Renders a module the way the player plays it and measures what a listener
// would notice: length, gaps, loudness, clipping headroom and stereo spread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace songstats {

// The player's amplification runs 0..65 with 50 as unity; it starts at 32.5.
inline constexpr double startAmplification = 32.5;
inline constexpr double maxAmplification = 65.0;
int amplificationToMillibel(double amplification);

struct Render {
    std::vector<float> frames;  // interleaved left, right at 44100 Hz
    double reportedSeconds = 0;  // what libopenmpt predicts
    std::string title;
    std::vector<std::string> log;  // every message libopenmpt logged
    bool loaded = false;
};

Render renderModule(const std::vector<std::uint8_t>& module, int masterGainMillibel);

struct Figures {
    std::string title;
    double reportedSeconds = 0;
    double renderedSeconds = 0;
    double longestSilenceSeconds = 0;  // ignoring the final two seconds
    double integratedLufs = 0;  // at the start volume
    double peakAtMaxGain = 0;  // linear, 1.0 = full scale
    double peakDbfsAtMaxGain = 0;
    double leftRmsDbfs = 0;
    double rightRmsDbfs = 0;
    double sideToMidDb = 0;  // how far left and right differ, relative to their sum
    std::size_t sizeBytes = 0;
    std::vector<std::string> log;
    bool loaded = false;
};

Figures measureModule(const std::vector<std::uint8_t>& module);

// A Markdown table of the figures, loudness shown against the median.
std::string markdownTable(const std::vector<std::string>& names, const std::vector<Figures>& figures);

double median(std::vector<double> values);

}  // namespace songstats

#include "song_measure.h"

#include <ebur128.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace songstats {
namespace {

constexpr int sampleRate = 44100;
// Below this a frame counts as silent: -60 dBFS, quieter than any note's tail
// a listener would still follow.
constexpr float silenceLevel = 0.001f;

void collectLog(const char* message, void* user) {
    if (message) static_cast<std::vector<std::string>*>(user)->push_back(message);
}

double toDb(double linear) { return linear > 0 ? 20.0 * std::log10(linear) : -999.0; }

}  // namespace

int amplificationToMillibel(double amplification) {
    return static_cast<int>(std::lround(2000.0 * std::log10(amplification / 50.0)));
}

Render renderModule(const std::vector<std::uint8_t>& module, int masterGainMillibel) {
    Render r;
    int error = 0;
    openmpt_module* mod = openmpt_module_create_from_memory2(module.data(), module.size(), collectLog, &r.log,
                                                             openmpt_error_func_ignore, nullptr, &error, nullptr,
                                                             nullptr);
    if (!mod) return r;
    r.loaded = true;
    openmpt_module_set_repeat_count(mod, 0);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 8);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, masterGainMillibel);
    r.reportedSeconds = openmpt_module_get_duration_seconds(mod);
    if (const char* title = openmpt_module_get_metadata(mod, "title")) {
        r.title = title;
        openmpt_free_string(title);
    }
    std::vector<float> buffer(2 * 4096);
    for (;;) {
        const std::size_t got = openmpt_module_read_interleaved_float_stereo(mod, sampleRate, 4096, buffer.data());
        if (got == 0) break;
        r.frames.insert(r.frames.end(), buffer.begin(), buffer.begin() + 2 * got);
    }
    openmpt_module_destroy(mod);
    return r;
}

Figures measureModule(const std::vector<std::uint8_t>& module) {
    Figures f;
    f.sizeBytes = module.size();
    const Render normal = renderModule(module, amplificationToMillibel(startAmplification));
    f.loaded = normal.loaded;
    f.log = normal.log;
    if (!normal.loaded) return f;
    f.title = normal.title;
    f.reportedSeconds = normal.reportedSeconds;
    const std::size_t frames = normal.frames.size() / 2;
    f.renderedSeconds = static_cast<double>(frames) / sampleRate;

    const std::size_t judged = frames > 2 * sampleRate ? frames - 2 * sampleRate : 0;
    std::size_t run = 0, longest = 0;
    double sumL = 0, sumR = 0, sumSide = 0, sumMid = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const float l = normal.frames[2 * i], r = normal.frames[2 * i + 1];
        if (i < judged) {
            run = (std::fabs(l) < silenceLevel && std::fabs(r) < silenceLevel) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        sumL += double(l) * l;
        sumR += double(r) * r;
        sumSide += double(l - r) * (l - r);
        sumMid += double(l + r) * (l + r);
    }
    f.longestSilenceSeconds = static_cast<double>(longest) / sampleRate;
    if (frames) {
        f.leftRmsDbfs = toDb(std::sqrt(sumL / frames));
        f.rightRmsDbfs = toDb(std::sqrt(sumR / frames));
        f.sideToMidDb = sumMid > 0 ? toDb(std::sqrt(sumSide / sumMid)) : -999.0;
    }

    ebur128_state* meter = ebur128_init(2, sampleRate, EBUR128_MODE_I);
    ebur128_add_frames_float(meter, normal.frames.data(), frames);
    ebur128_loudness_global(meter, &f.integratedLufs);
    ebur128_destroy(&meter);

    const Render loud = renderModule(module, amplificationToMillibel(maxAmplification));
    for (float s : loud.frames) f.peakAtMaxGain = std::max(f.peakAtMaxGain, double(std::fabs(s)));
    f.peakDbfsAtMaxGain = toDb(f.peakAtMaxGain);
    return f;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string markdownTable(const std::vector<std::string>& names, const std::vector<Figures>& figures) {
    std::vector<double> lufs;
    for (const Figures& f : figures) lufs.push_back(f.integratedLufs);
    const double mid = median(lufs);
    std::string out =
        "| Track | Title | Duration s | Longest silence s | Integrated LUFS | vs median LU | Peak dBFS at max gain "
        "| L / R RMS dBFS | Side/mid dB | Size bytes |\n"
        "|---|---|---|---|---|---|---|---|---|---|\n";
    std::size_t total = 0;
    char line[512];
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const Figures& f = figures[i];
        total += f.sizeBytes;
        std::snprintf(line, sizeof line, "| %s | %s | %.1f | %.2f | %.1f | %+.1f | %.2f | %.1f / %.1f | %.1f | %zu |\n",
                      names[i].c_str(), f.title.c_str(), f.renderedSeconds, f.longestSilenceSeconds,
                      f.integratedLufs, f.integratedLufs - mid, f.peakDbfsAtMaxGain, f.leftRmsDbfs, f.rightRmsDbfs,
                      f.sideToMidDb, f.sizeBytes);
        out += line;
    }
    std::snprintf(line, sizeof line, "\nMedian loudness %.1f LUFS; all modules together %zu bytes.\n", mid, total);
    out += line;
    return out;
}

}  // namespace songstats

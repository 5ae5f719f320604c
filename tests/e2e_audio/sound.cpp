#include "tests/e2e_audio/sound.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

namespace e2e_audio {

namespace {

std::vector<char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Sound render(const std::string& path, int millibel, double seconds) {
    const std::vector<char> bytes = readBytes(path);
    if (bytes.empty()) throw std::runtime_error("cannot read " + path);
    const openmpt_module_initial_ctl ctls[] = {
        {"play.at_end", "stop"},
        {"dither", "0"},
        {nullptr, nullptr},
    };
    std::unique_ptr<openmpt_module, decltype(&openmpt_module_destroy)> module(
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, nullptr, nullptr, ctls),
        &openmpt_module_destroy);
    if (!module) throw std::runtime_error("libopenmpt cannot load " + path);
    openmpt_module_set_repeat_count(module.get(), 0);
    openmpt_module_set_render_param(module.get(), OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 8);
    openmpt_module_set_render_param(module.get(), OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, -1);
    openmpt_module_set_render_param(module.get(), OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, millibel);

    Sound sound;
    const std::size_t wanted = framesIn(seconds);
    sound.samples.assign(wanted * 2, 0);
    // The device asks for 512 frames at a time; rendering in the same steps
    // keeps the reference as close to the device's output as possible.
    constexpr std::size_t step = 512;
    std::size_t done = 0;
    while (done < wanted) {
        const std::size_t got = openmpt_module_read_interleaved_stereo(
            module.get(), sampleRate, std::min(step, wanted - done), sound.samples.data() + done * 2);
        if (got == 0) break;
        done += got;
    }
    // After the end the device hands out silence, which the zeros already are.
    return sound;
}

}  // namespace

std::string modulePath(const std::string& moduleName) {
    return std::string(E2E_AUDIO_SONGS_DIR) + "/" + moduleName + ".it";
}

const Sound& reference(const std::string& moduleName, int millibel, double seconds) {
    static std::map<std::pair<std::string, int>, Sound> cache;
    Sound& cached = cache[{moduleName, millibel}];
    if (cached.frames() < framesIn(seconds)) cached = render(modulePath(moduleName), millibel, seconds);
    return cached;
}

Sound readRaw(const std::string& path) {
    const std::vector<char> bytes = readBytes(path);
    Sound sound;
    const std::size_t frames = bytes.size() / 4;
    sound.samples.resize(frames * 2);
    for (std::size_t i = 0; i < frames * 2; ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[i * 2]);
        const auto high = static_cast<std::uint8_t>(bytes[i * 2 + 1]);
        sound.samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    }
    return sound;
}

std::optional<std::size_t> firstSound(const Sound& sound, std::size_t from) {
    for (std::size_t frame = from; frame < sound.frames(); ++frame) {
        if (!sound.silentAt(frame)) return frame;
    }
    return std::nullopt;
}

std::optional<std::size_t> findSilence(const Sound& sound, std::size_t from, std::size_t length) {
    std::size_t runStart = from;
    for (std::size_t frame = from; frame < sound.frames(); ++frame) {
        if (!sound.silentAt(frame)) {
            runStart = frame + 1;
        } else if (frame + 1 - runStart >= length) {
            return runStart;
        }
    }
    return std::nullopt;
}

std::ostream& operator<<(std::ostream& out, const Comparison& comparison) {
    out << comparison.compared << " of " << comparison.requested << " frames compared, largest sample difference "
        << comparison.largestDifference;
    if (comparison.largestDifference > 0) out << " at frame +" << comparison.worstFrame;
    return out;
}

Comparison compare(const Sound& actual, std::size_t actualAt, const Sound& expected, std::size_t expectedAt,
                   std::size_t count) {
    Comparison result;
    result.requested = count;
    for (std::size_t i = 0; i < count; ++i) {
        if (actualAt + i >= actual.frames() || expectedAt + i >= expected.frames()) break;
        for (std::size_t channel = 0; channel < 2; ++channel) {
            const int difference = std::abs(int{actual.samples[(actualAt + i) * 2 + channel]} -
                                            int{expected.samples[(expectedAt + i) * 2 + channel]});
            if (difference > result.largestDifference) {
                result.largestDifference = difference;
                result.worstFrame = i;
            }
        }
        ++result.compared;
    }
    return result;
}

std::optional<std::size_t> findExcerpt(const Sound& actual, std::size_t from, const Sound& expected,
                                       std::size_t expectedAt, std::size_t count, int tolerance) {
    if (expectedAt + count > expected.frames()) return std::nullopt;
    const std::int16_t* needle = expected.samples.data() + expectedAt * 2;
    for (std::size_t at = from; at + count <= actual.frames(); ++at) {
        const std::int16_t* hay = actual.samples.data() + at * 2;
        std::size_t i = 0;
        while (i < count * 2 && std::abs(int{hay[i]} - int{needle[i]}) <= tolerance) ++i;
        if (i == count * 2) return at;
    }
    return std::nullopt;
}

double rms(const Sound& sound, std::size_t at, std::size_t count) {
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = at * 2; i < (at + count) * 2 && i < sound.samples.size(); ++i, ++n) {
        const double sample = sound.samples[i];
        sum += sample * sample;
    }
    return n == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(n));
}

}  // namespace e2e_audio

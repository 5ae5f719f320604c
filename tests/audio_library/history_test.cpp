// The capture's read-back arithmetic, with no device: which frames of the
// history are "being heard" for a given count of frames handed to the device
// and a given time since the last callback.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sdl/audio_internal.h"

namespace {

struct HeardEndCase {
    std::string name;
    std::uint64_t handed;
    std::uint32_t buffer;
    std::uint64_t sinceCallback;
    std::int64_t expected;
};

TEST(HeardEnd, LagsTheHandedFramesByWhatIsStillQueued) {
    const HeardEndCase cases[] = {
        // Right after a callback two buffers are queued: the one sounding and the one just rendered.
        {"at the callback", 10240, 512, 0, 10240 - 1024},
        {"a third of a buffer later", 10240, 512, 170, 10240 - 1024 + 170},
        {"just before the next callback", 10240, 512, 511, 10240 - 513},
        {"one whole buffer later", 10240, 512, 512, 10240 - 512},
        // A late callback (or a stopped device) must not run the read past frames still queued.
        {"late callback is clamped", 10240, 512, 5000, 10240 - 512},
        {"other buffer size", 8192, 1024, 100, 8192 - 2048 + 100},
        {"before anything was handed", 0, 512, 0, -1024},
        {"within the first buffers", 600, 512, 50, 600 - 1024 + 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(audio_internal::heardEnd(c.handed, c.buffer, c.sinceCallback), c.expected)
            << c.name << ": handed " << c.handed << ", buffer " << c.buffer << ", since callback " << c.sinceCallback;
    }
}

// A ring in which frame i of the stream holds (i, -i) modulo 16 bits, as if
// `handed` frames had been written through it.
std::vector<std::int16_t> indexRing(std::size_t ringFrames, std::uint64_t handed) {
    std::vector<std::int16_t> ring(ringFrames * 2, 0x7777);
    std::uint64_t first = handed > ringFrames ? handed - ringFrames : 0;
    for (std::uint64_t i = first; i < handed; ++i) {
        ring[(i % ringFrames) * 2] = static_cast<std::int16_t>(i);
        ring[(i % ringFrames) * 2 + 1] = static_cast<std::int16_t>(-static_cast<std::int64_t>(i));
    }
    return ring;
}

struct CopyCase {
    std::string name;
    std::uint64_t handed;
    std::int64_t end;
    std::size_t count;
};

TEST(CopyHeard, ReturnsTheFramesJustBeforeTheEndAndSilenceOutsideTheHistory) {
    constexpr std::size_t ringFrames = 256;
    const CopyCase cases[] = {
        {"inside the ring", 1000, 900, 120},
        {"across the ring's wrap", 1000, 800, 40},  // frames 760..799 straddle ring slot 0 at 768
        {"newest frames", 1000, 1000, 120},
        {"partly before the stream began", 1000, 50, 120},
        {"entirely before the stream began", 1000, -30, 120},
        {"partly overwritten already", 1000, 800, 180},  // the ring keeps 744 onwards
        {"ring never filled", 100, 90, 120},
    };
    for (const auto& c : cases) {
        auto ring = indexRing(ringFrames, c.handed);
        std::vector<std::int16_t> out(c.count * 2, 0x5555);
        audio_internal::copyHeard(ring.data(), ringFrames, c.handed, c.end, c.count, out.data());
        for (std::size_t k = 0; k < c.count; ++k) {
            std::int64_t frame = c.end - static_cast<std::int64_t>(c.count) + static_cast<std::int64_t>(k);
            bool kept = frame >= 0 && frame >= static_cast<std::int64_t>(c.handed) - static_cast<std::int64_t>(ringFrames);
            std::int16_t left = kept ? static_cast<std::int16_t>(frame) : 0;
            std::int16_t right = kept ? static_cast<std::int16_t>(-frame) : 0;
            ASSERT_EQ(out[k * 2], left) << c.name << ": frame " << frame << " (output " << k << ") left";
            ASSERT_EQ(out[k * 2 + 1], right) << c.name << ": frame " << frame << " (output " << k << ") right";
        }
    }
}

// What the capture does as a whole: the last frame it returns is the
// rendered position less the queued buffers, and moves up as time passes.
TEST(CopyHeard, CaptureTrailsTheRenderedPositionByTheQueuedBuffers) {
    constexpr std::size_t ringFrames = 4096;
    constexpr std::uint32_t buffer = 512;
    constexpr std::uint64_t handed = 20 * buffer;
    auto ring = indexRing(ringFrames, handed);
    std::vector<std::int16_t> out(120 * 2);
    for (std::uint64_t since : {0u, 256u, 512u}) {
        audio_internal::copyHeard(ring.data(), ringFrames, handed, audio_internal::heardEnd(handed, buffer, since), 120,
                                 out.data());
        std::uint64_t newestHeard = handed - 1 - (2 * buffer - since);
        EXPECT_EQ(out[119 * 2], static_cast<std::int16_t>(newestHeard)) << "time since the callback: " << since << " frames";
        EXPECT_EQ(out[0], static_cast<std::int16_t>(newestHeard - 119)) << "time since the callback: " << since << " frames";
    }
}

}  // namespace

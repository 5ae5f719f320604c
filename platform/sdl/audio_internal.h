// Private to the audio layer (platform/sdl/audio_*.cpp), its tests and its
// benchmark: the arithmetic that turns "frames handed to the device so far"
// into "frames being heard now", and the render callback itself so that it can
// be driven without a device.
#pragma once

#include <cstddef>
#include <cstdint>

namespace audio_internal {

// What the device plays back lags what the callback hands it. When SDL asks
// for a buffer, the buffer before it has only just started to sound (ALSA is
// given two periods of the callback size, PulseAudio a target length of about
// one buffer), so at that moment two buffers are in flight: the one being
// heard and the one just rendered. As time passes since the callback the
// heard position moves forward, but never past the start of the buffer just
// rendered plus one buffer: the next callback comes when that much has drained.
//
// Returns the index, in the stream of every frame handed to the device,
// one past the newest frame being heard. Frames before index 0 never existed.
std::int64_t heardEnd(std::uint64_t framesHanded, std::uint32_t bufferFrames, std::uint64_t framesSinceCallback);

// Copies count stereo frames ending just before index end out of a ring of
// ringFrames frames (ringFrames a power of two) that holds the newest frames
// up to framesHanded. Frames before index 0, or too old to still be in the
// ring, come out as silence. end must not exceed framesHanded.
void copyHeard(const std::int16_t* ring, std::size_t ringFrames, std::uint64_t framesHanded, std::int64_t end,
               std::size_t count, std::int16_t* out);

// The SDL audio callback: renders len bytes of interleaved signed 16-bit
// stereo into stream and records them as handed to the device. The device
// lock must be held, as SDL holds it around every call it makes.
void renderCallback(void* userdata, std::uint8_t* stream, int len);

// Tests only: acts as if SDL had just reported the output device removed (the
// library notices at its next per-frame call) and makes the next failingOpens
// attempts to open a device fail.
void simulateDeviceLoss(int failingOpens);

}  // namespace audio_internal

// Latency tracing, built only with QUINTRELL_TRACE_LATENCY: monotonic
// timestamps of a digit key becoming a message, of each buffer leaving the
// audio callback, of the oscilloscope's capture and of the frame that shows
// it. Written at exit to the file QUINTRELL_TRACE_FILE names (default
// latency_trace.txt), one event a line:
//   key   <ns> <virtual key>        WM_KEYDOWN for a digit put on the queue
//   first <ns> <handle>             first rendered buffer of a newly loaded module left the callback
//   scope <ns swap> <ns left>       a presented frame drew a capture whose newest frame left the callback at <ns left>
#pragma once

#ifdef QUINTRELL_TRACE_LATENCY

#include <cstddef>
#include <cstdint>

namespace audio_trace {

void keyDown(std::uintptr_t key);
// At the end of every callback, under the device lock.
void callbackDone(std::uint32_t handle, std::size_t renderedFrames, std::uint64_t framesHanded);
// In the capture, under the device lock: end is one past the newest frame handed out.
void captured(std::int64_t end);

}  // namespace audio_trace

#endif

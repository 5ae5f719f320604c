// The audio library over libopenmpt (rendering) and SDL2 audio (output).
//
// One module at a time is rendered inside SDL's audio callback on SDL's audio
// thread. Everything the callback reads or writes lives in one state record;
// every call below takes the device lock around any touch of it, and the
// callback runs under the same lock (SDL holds it around every call).
// Parsing and destroying a module happen outside the lock, so the callback is
// never held up by them.
#include "platform/audio_library.h"

#include <SDL.h>                    // audio subsystem, device, lock, performance counter
#include <libopenmpt/libopenmpt.h>  // module parsing and rendering

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "platform/sdl/audio_internal.h"
#ifdef QUINTRELL_TRACE_LATENCY
#include "platform/sdl/audio_trace.h"
#endif

namespace {

constexpr int channels = 2;
constexpr std::size_t bytesPerFrame = channels * sizeof(std::int16_t);
// 512 frames is 11.6 ms at 44100 Hz: short enough that the oscilloscope and a
// volume change follow the music closely, long enough not to underrun on a
// busy desktop. The device is opened with no size change allowed, so SDL
// rebuffers to exactly this if the backend prefers another period.
constexpr Uint16 callbackFrames = 512;
// The history keeps the last 4096 frames (93 ms): the two buffers in flight
// plus the longest capture anyone asks for, with room to spare.
constexpr std::size_t historyFrames = 4096;
constexpr std::size_t maxInFlightFrames = 2 * 1024;  // two buffers of the largest size a device may be opened with
constexpr std::size_t maxCaptureFrames = historyFrames - maxInFlightFrames;

constexpr float unityAmplification = 50.0f;
constexpr float maxAmplification = 100.0f;

enum class Transport {
    loaded,   // loaded, not yet played: renders nothing
    playing,  // renders and advances
    paused,   // renders silence, holds its position
};

struct AudioState {
    bool initialised = false;      // between a successful BASS_Init and BASS_Free
    SDL_AudioDeviceID device = 0;  // 0 while not initialised, and while the output device is lost
    bool outputRunning = false;    // what BASS_Start / BASS_Stop asked for, kept across a lost device
    Uint64 nextReopenTicks = 0;    // while the device is lost: when to try opening one again
    int sampleRate = 0;
    std::uint32_t bufferFrames = 0;  // frames per callback, as opened

    openmpt_module* module = nullptr;
    HMUSIC handle = 0;          // names module; 0 with no module
    HMUSIC lastHandle = 0;      // handles only grow, so a freed one is never reused
    Transport transport = Transport::loaded;
    bool ended = false;         // the module's last frame has been handed to the device
    bool muted = false;         // amplification 0: silence while the module advances

    // What the callback handed to the device, newest last; framesHanded counts
    // every frame ever handed, callbackTicks is when the last callback ran.
    std::array<std::int16_t, historyFrames * channels> history{};
    std::uint64_t framesHanded = 0;
    Uint64 callbackTicks = 0;
};

AudioState state;

// Holds the device lock for a scope; does nothing while no device is open
// (then no audio thread exists to race with).
class DeviceLock {
public:
    DeviceLock() : device(state.device) {
        if (device != 0) SDL_LockAudioDevice(device);
    }
    ~DeviceLock() {
        if (device != 0) SDL_UnlockAudioDevice(device);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID device;
};

bool isCurrent(DWORD handle) { return handle != 0 && handle == state.handle && state.module != nullptr; }

// Takes the module out of the state (under the lock) so that the caller can
// destroy it after releasing the lock.
openmpt_module* detachModule() {
    openmpt_module* module = state.module;
    state.module = nullptr;
    state.handle = 0;
    state.transport = Transport::loaded;
    state.ended = false;
    state.muted = false;
    return module;
}

void recordHanded(const std::int16_t* frames, std::size_t count) {
    for (std::size_t done = 0; done < count;) {
        std::size_t at = static_cast<std::size_t>((state.framesHanded + done) % historyFrames);
        std::size_t run = std::min(count - done, historyFrames - at);
        std::memcpy(state.history.data() + at * channels, frames + done * channels, run * bytesPerFrame);
        done += run;
    }
    state.framesHanded += count;
}

std::int32_t millibelFor(float amplification) {
    double a = std::min(amplification, maxAmplification);
    return static_cast<std::int32_t>(std::lround(2000.0 * std::log10(a / unityAmplification)));
}

// A lost device is retried about four times a second: often enough that the
// music comes back soon after a device does, rarely enough that a frame never
// waits on a failing open more than now and then.
constexpr double reopenIntervalSeconds = 0.25;

// Set by tests through audio_internal::simulateDeviceLoss.
bool simulatedLoss = false;
int opensToFail = 0;

// Opens the default output device, paused; 0 when none can be opened.
SDL_AudioDeviceID openDevice(int frequency, SDL_AudioSpec& obtained) {
    if (opensToFail > 0) {
        --opensToFail;
        return 0;
    }
    SDL_AudioSpec desired{};
    desired.freq = frequency;
    desired.format = AUDIO_S16SYS;
    desired.channels = channels;
    desired.samples = callbackFrames;
    desired.callback = audio_internal::renderCallback;
    // No changes allowed: SDL converts and rebuffers to exactly this format.
    return SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, 0);
}

void scheduleReopen() {
    state.nextReopenTicks = SDL_GetPerformanceCounter() +
                            static_cast<Uint64>(reopenIntervalSeconds * static_cast<double>(SDL_GetPerformanceFrequency()));
}

// Called from the operations the program makes every frame. A device that SDL
// reports as gone (unplugged, its server stopped) is closed; while none is
// open, the default device is opened again now and then, and the module goes
// on from the position it had reached, since the module lives here and not in
// the device. Until then the program sees a library that works but is silent.
void keepDeviceOpen() {
    if (!state.initialised) return;
    if (state.device != 0) {
        bool removed = simulatedLoss || SDL_GetAudioDeviceStatus(state.device) == SDL_AUDIO_STOPPED;
        if (!removed) return;
        simulatedLoss = false;
        // Closing joins the device's thread, so the callback is not running
        // afterwards and the state is ours alone until the next open.
        SDL_CloseAudioDevice(state.device);
        state.device = 0;
        scheduleReopen();
        return;
    }
    if (SDL_GetPerformanceCounter() < state.nextReopenTicks) return;
    SDL_AudioSpec obtained{};
    SDL_AudioDeviceID opened = openDevice(state.sampleRate, obtained);
    if (opened == 0) {
        scheduleReopen();
        return;
    }
    state.bufferFrames = obtained.samples;
    state.callbackTicks = SDL_GetPerformanceCounter();
    state.device = opened;
    if (state.outputRunning) SDL_PauseAudioDevice(opened, 0);
}

}  // namespace

namespace audio_internal {

std::int64_t heardEnd(std::uint64_t framesHanded, std::uint32_t bufferFrames, std::uint64_t framesSinceCallback) {
    std::uint64_t played = std::min<std::uint64_t>(framesSinceCallback, bufferFrames);
    return static_cast<std::int64_t>(framesHanded) - 2 * static_cast<std::int64_t>(bufferFrames) +
           static_cast<std::int64_t>(played);
}

void copyHeard(const std::int16_t* ring, std::size_t ringFrames, std::uint64_t framesHanded, std::int64_t end,
               std::size_t count, std::int16_t* out) {
    std::int64_t oldestKept = static_cast<std::int64_t>(framesHanded) - static_cast<std::int64_t>(ringFrames);
    for (std::size_t i = 0; i < count; ++i) {
        std::int64_t frame = end - static_cast<std::int64_t>(count) + static_cast<std::int64_t>(i);
        if (frame < 0 || frame < oldestKept) {
            out[i * 2] = 0;
            out[i * 2 + 1] = 0;
            continue;
        }
        std::size_t at = static_cast<std::size_t>(frame) & (ringFrames - 1);
        out[i * 2] = ring[at * 2];
        out[i * 2 + 1] = ring[at * 2 + 1];
    }
}

// Runs on SDL's audio thread under the device lock. No allocation, no waiting:
// libopenmpt renders straight into SDL's buffer, which is then copied into the
// preallocated history.
void renderCallback(void*, std::uint8_t* stream, int len) {
    std::size_t frames = len > 0 ? static_cast<std::size_t>(len) / bytesPerFrame : 0;
    auto* out = reinterpret_cast<std::int16_t*>(stream);
    std::size_t rendered = 0;
    if (state.module != nullptr && state.transport == Transport::playing && !state.ended) {
        while (rendered < frames) {
            std::size_t got = openmpt_module_read_interleaved_stereo(state.module, state.sampleRate,
                                                                     frames - rendered, out + rendered * channels);
            if (got == 0) {
                // Everything rendered before this point is in this buffer, which
                // SDL takes as soon as we return: the module's samples are all sent.
                state.ended = true;
                break;
            }
            rendered += got;
        }
        if (state.muted) std::memset(out, 0, rendered * bytesPerFrame);
    }
    if (len > 0) std::memset(stream + rendered * bytesPerFrame, 0, static_cast<std::size_t>(len) - rendered * bytesPerFrame);
    recordHanded(out, frames);
    state.callbackTicks = SDL_GetPerformanceCounter();
#ifdef QUINTRELL_TRACE_LATENCY
    audio_trace::callbackDone(state.handle, rendered, state.framesHanded);
#endif
}

void simulateDeviceLoss(int failingOpens) {
    simulatedLoss = state.device != 0;  // with no device open, only the coming opens are scripted
    opensToFail = failingOpens;
}

}  // namespace audio_internal

BOOL BASS_Init(int device, DWORD frequency, DWORD, HWND, const void*) {
    // Only the default output exists here; the window and class identifier
    // are what the original platform needed to tie the device to a window.
    if (device != -1 || state.initialised) return FALSE;
    if (frequency < 8000 || frequency > 192000) return FALSE;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return FALSE;

    SDL_AudioSpec obtained{};
    SDL_AudioDeviceID opened = openDevice(static_cast<int>(frequency), obtained);
    if (opened == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return FALSE;
    }
    state.sampleRate = obtained.freq;
    state.bufferFrames = obtained.samples;
    state.framesHanded = 0;
    state.history.fill(0);
    state.callbackTicks = SDL_GetPerformanceCounter();
    state.device = opened;
    state.initialised = true;
    simulatedLoss = false;
    // Output runs from the start, as the program expects of a fresh library.
    state.outputRunning = true;
    SDL_PauseAudioDevice(opened, 0);
    return TRUE;
}

BOOL BASS_Free() {
    if (!state.initialised) return FALSE;
    // Closing waits for the audio thread to finish, so nothing touches the
    // state afterwards.
    if (state.device != 0) SDL_CloseAudioDevice(state.device);
    state.device = 0;
    state.initialised = false;
    openmpt_module* module = detachModule();
    if (module != nullptr) openmpt_module_destroy(module);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return TRUE;
}

BOOL BASS_Stop() {
    if (!state.initialised) return FALSE;
    state.outputRunning = false;
    // Takes the device lock itself: once it returns no callback is running
    // and none starts until BASS_Start.
    if (state.device != 0) SDL_PauseAudioDevice(state.device, 1);
    return TRUE;
}

BOOL BASS_Start() {
    if (!state.initialised) return FALSE;
    state.outputRunning = true;
    if (state.device != 0) SDL_PauseAudioDevice(state.device, 0);
    return TRUE;
}

// The sample-rate argument is not honoured: modules always render at the
// device's rate, which is what the program asks for by passing 0.
HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD) {
    if (!state.initialised || !fromMemory || file == nullptr || length == 0) return 0;

    // Once the last row has played the module is over for good: "stop" makes
    // every later read return nothing, where "continue" would start the song
    // again on the next read and "fadeout" would add a fade the music does
    // not have. With the loop flag the song repeats forever and never ends.
    const openmpt_module_initial_ctl ctls[] = {
        {"play.at_end", "stop"},
        // No dither: a silent passage stays exact zero and two renders of the
        // same module agree to the sample, which the capture relies on.
        {"dither", "0"},
        {nullptr, nullptr},
    };
    const char* bytes = static_cast<const char*>(file) + offset;
    openmpt_module* module = openmpt_module_create_from_memory2(bytes, length, openmpt_log_func_silent, nullptr,
                                                                openmpt_error_func_ignore, nullptr, nullptr, nullptr,
                                                                ctls);
    if (module == nullptr) return 0;

    openmpt_module_set_repeat_count(module, (flags & BASS_MUSIC_LOOP) ? -1 : 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                    (flags & BASS_MUSIC_SINCINTER) ? 8 : 0);
    // Ramping on means libopenmpt's recommended strength (-1): it already
    // smooths every volume change and note start that would click, which is
    // what "sensitive" ramping asks for, without softening the sharp attacks
    // chiptunes are written with. Off means none at all.
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                    (flags & BASS_MUSIC_RAMPS) ? -1 : 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, 0);

    openmpt_module* replaced = nullptr;
    HMUSIC handle = 0;
    {
        DeviceLock lock;
        // One module at a time: a load while another is loaded replaces it
        // and its handle goes stale. The program always frees first.
        replaced = detachModule();
        handle = ++state.lastHandle;
        if (handle == 0) handle = ++state.lastHandle;  // after 2^32 loads
        state.module = module;
        state.handle = handle;
    }
    if (replaced != nullptr) openmpt_module_destroy(replaced);
    return handle;
}

BOOL BASS_MusicFree(HMUSIC handle) {
    openmpt_module* module = nullptr;
    {
        DeviceLock lock;
        if (!isCurrent(handle)) return FALSE;
        module = detachModule();
    }
    openmpt_module_destroy(module);
    return TRUE;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    DeviceLock lock;
    if (!isCurrent(handle)) return FALSE;
    if (restart) {
        openmpt_module_set_position_seconds(state.module, 0.0);
        state.ended = false;
    }
    if (state.ended) return FALSE;
    state.transport = Transport::playing;
    return TRUE;
}

BOOL BASS_ChannelPause(DWORD handle) {
    DeviceLock lock;
    if (!isCurrent(handle) || state.ended || state.transport == Transport::loaded) return FALSE;
    state.transport = Transport::paused;
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    keepDeviceOpen();
    DeviceLock lock;
    if (!isCurrent(handle) || state.ended) return BASS_ACTIVE_STOPPED;
    switch (state.transport) {
    case Transport::playing: return BASS_ACTIVE_PLAYING;
    case Transport::paused: return BASS_ACTIVE_PAUSED;
    case Transport::loaded: break;
    }
    return BASS_ACTIVE_STOPPED;
}

// Amplification a (50 is unity) becomes a master gain of 20*log10(a/50) dB;
// 0, a negative value or NaN gives exact silence while the module still
// advances, since no gain reaches zero. Values above 100 play as 100.
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attribute, float value) {
    if (attribute != BASS_ATTRIB_MUSIC_AMPLIFY) return FALSE;
    DeviceLock lock;
    if (!isCurrent(handle)) return FALSE;
    if (!(value > 0.0f)) {
        state.muted = true;
        return TRUE;
    }
    state.muted = false;
    openmpt_module_set_render_param(state.module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, millibelFor(value));
    return TRUE;
}

// Hands out what is being heard now, not what was rendered last: the newest
// frames are still queued in the device. Captures longer than the history
// can serve are cut to maxCaptureFrames; the rest of the buffer is left as is.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    constexpr DWORD noModule = static_cast<DWORD>(-1);
    if (buffer == nullptr) return noModule;
    keepDeviceOpen();
    std::array<std::int16_t, maxCaptureFrames * channels> heard;
    std::size_t frames = std::min<std::size_t>(length / bytesPerFrame, maxCaptureFrames);
    {
        DeviceLock lock;
        if (!isCurrent(handle)) {
            std::memset(buffer, 0, length);
            return noModule;
        }
        if (state.device == 0) {
            // Nothing is being heard while no device is open.
            std::memset(buffer, 0, frames * bytesPerFrame);
            return static_cast<DWORD>(frames * bytesPerFrame);
        }
        double seconds = static_cast<double>(SDL_GetPerformanceCounter() - state.callbackTicks) /
                         static_cast<double>(SDL_GetPerformanceFrequency());
        double sinceCallback = std::clamp(seconds * state.sampleRate, 0.0, double(state.bufferFrames));
        std::int64_t end = audio_internal::heardEnd(state.framesHanded, state.bufferFrames,
                                                   static_cast<std::uint64_t>(sinceCallback));
        audio_internal::copyHeard(state.history.data(), historyFrames, state.framesHanded, end, frames, heard.data());
#ifdef QUINTRELL_TRACE_LATENCY
        audio_trace::captured(end);
#endif
    }
    std::memcpy(buffer, heard.data(), frames * bytesPerFrame);
    return static_cast<DWORD>(frames * bytesPerFrame);
}

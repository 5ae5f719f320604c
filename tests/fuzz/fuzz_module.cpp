// libFuzzer target for module loading through our audio library: arbitrary
// bytes go to BASS_MusicLoad as the program hands over a track, and a module
// that loads is played for a few buffers through the render callback, with a
// volume change, a capture for the oscilloscope and the end-of-track check in
// between, then freed. SDL runs on its dummy driver with the output stopped,
// so every render happens on this thread and a run is repeatable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/audio_library.h"
#include "platform/sdl/audio_internal.h"

namespace {

constexpr DWORD programFlags = BASS_MUSIC_RAMPS | BASS_MUSIC_SINCINTER;
constexpr int bufferBytes = 512 * 4;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr) || !BASS_Stop()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HMUSIC handle = BASS_MusicLoad(TRUE, data, 0, static_cast<DWORD>(size), programFlags, 0);
    if (handle == 0) return 0;
    if (!BASS_ChannelPlay(handle, FALSE)) std::abort();

    static std::uint8_t buffer[bufferBytes];
    std::int16_t capture[240];
    for (int pass = 0; pass < 4; ++pass) {
        audio_internal::renderCallback(nullptr, buffer, bufferBytes);
        BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, pass * 20.0f);
        if (BASS_ChannelGetData(handle, capture, sizeof capture) != sizeof capture) std::abort();
        DWORD active = BASS_ChannelIsActive(handle);
        if (active != BASS_ACTIVE_PLAYING && active != BASS_ACTIVE_STOPPED) std::abort();
    }
    if (!BASS_MusicFree(handle)) std::abort();
    if (BASS_ChannelIsActive(handle) != BASS_ACTIVE_STOPPED) std::abort();  // a freed handle is stale
    return 0;
}

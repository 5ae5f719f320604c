#include "audio/music_channel.h"

#include "app/failure_report.h"

namespace {

constexpr int defaultDevice = -1;
constexpr DWORD outputRate = 44100;
constexpr DWORD loadFlags = BASS_MUSIC_RAMPS | BASS_MUSIC_SINCINTER;  // no loop: each track plays once
constexpr float fullAmplification = 65.0f;

}  // namespace

float amplificationFor(float volume) { return volume * fullAmplification; }

MusicChannel::MusicChannel() {
    if (!BASS_Init(defaultDevice, outputRate, 0, nullptr, nullptr)) reportFailure("Could not to initialize BASS");
}

// Shuts the library down without freeing the module first: closing the device takes it along.
MusicChannel::~MusicChannel() { BASS_Free(); }

void MusicChannel::playTrack(const ByteBuffer& moduleBytes) {
    if (!BASS_Stop()) {
        reportFailure("Could not stop BASS");
        return;
    }
    if (handle != 0) {
        BASS_MusicFree(handle);
        handle = 0;
    }
    // A slot whose resource could not be read has no bytes to hand over; that is a failed load.
    if (!moduleBytes.empty())
        handle = BASS_MusicLoad(TRUE, moduleBytes.data(), 0, static_cast<DWORD>(moduleBytes.size()), loadFlags, 0);
    if (handle == 0) {
        reportFailure("Could not load track to BASS");
        return;
    }
    BASS_Start();
    BASS_ChannelSetAttribute(handle, BASS_ATTRIB_MUSIC_AMPLIFY, amplificationFor(volume));
    BASS_ChannelPlay(handle, FALSE);
}

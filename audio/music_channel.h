// The player's audio state: the one loaded module and the volume it plays at.
#pragma once

#include "assets/byte_buffer.h"
#include "platform/audio_library.h"

class MusicChannel {
public:
    // Brings the audio library up on the default output at 44100 Hz; a
    // failure is reported and the channel is still usable (every later
    // library call then fails and is reported where it matters).
    MusicChannel();
    ~MusicChannel();
    MusicChannel(const MusicChannel&) = delete;
    MusicChannel& operator=(const MusicChannel&) = delete;

    // Stops the output, frees the loaded module, loads moduleBytes and plays
    // it from its beginning at volume. Reports its own failures.
    void playTrack(const ByteBuffer& moduleBytes);

    HMUSIC handle = 0;    // 0 when no module is loaded
    float volume = 0.5f;  // 0 to 1, always equal to the Player's volume
};

// The amplification that plays volume (0 to 1) as the library expects it.
float amplificationFor(float volume);

#include "player/player.h"

void Player::selectTrack(int slot) {
    currentTrack = slot;
    channel.playTrack(tracks[slot].moduleBytes);
    // Read after playTrack: a track picked while its message box was open is the one that counts.
    const char* slotTitle = tracks[currentTrack].title;
    title = slotTitle != nullptr ? slotTitle : "";
    isPlaying = true;
}

void Player::stepTrack(bool forward) {
    int next = currentTrack + (forward ? 1 : -1);
    // Backward from "no track yet" (-1) lands on the last slot too, rather than outside the table.
    if (next < 0) {
        next = trackCount - 1;
    } else if (next >= trackCount) {
        next = 0;
    }
    selectTrack(next);
}

void Player::togglePause() {
    isPlaying = !isPlaying;
    if (channel.handle == 0) return;
    if (isPlaying) {
        BASS_ChannelPlay(channel.handle, FALSE);
    } else {
        BASS_ChannelPause(channel.handle);
    }
}

void Player::checkTrackEnd() {
    // With no module loaded there is nothing to wait for: stepping on would run through
    // the nine slots at frame rate, each failure with its own message box.
    if (channel.handle == 0) return;
    if (BASS_ChannelIsActive(channel.handle) == BASS_ACTIVE_STOPPED) stepTrack(true);
}

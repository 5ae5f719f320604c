// The one object that owns all run-time state of the program.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/byte_buffer.h"
#include "assets/track_table.h"
#include "audio/music_channel.h"
#include "platform/winapi.h"
#include "render/bitmap_font.h"

class Player {
public:
    // The program's whole start-up: audio, OpenGL context, track table,
    // pictures, font, arc phases and the first track. Reports each failure
    // in a message box and always returns with a Player.
    Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Track control.
    void selectTrack(int slot);
    void stepTrack(bool forward);
    void togglePause();
    void checkTrackEnd();

    // Pointer handling, in window coordinates (origin top left, y down).
    void updatePointer(int x, int y);
    void pressPointer(int x, int y);

    void fillTrackSlot(int index, const char* slotTitle, std::uint16_t id);

    HWND window;
    HDC hdc = nullptr;
    HGLRC glContext = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool mouseDown = false;
    std::int32_t clickX = 0;
    std::int32_t clickY = 0;
    // Drawing coordinates (y up), stored by every frame. Until the first frame
    // the rectangle is empty (negative size), so no point is over the slider.
    std::int32_t sliderX = 0;
    std::int32_t sliderY = 0;
    std::int32_t sliderW = -1;
    std::int32_t sliderH = -1;
    bool hoverSlider = false;
    bool hoverPrev = false;
    bool hoverPlay = false;
    bool hoverNext = false;
    float volume = 0.5f;
    bool isPlaying = true;
    std::string title;
    std::vector<float> arcPhases;
    BitmapFont font;
    RgbaImage discImage;
    RgbaImage playIcon;
    RgbaImage nextIcon;
    RgbaImage pauseIcon;
    RgbaImage background;
    MusicChannel channel;
    std::array<TrackSlot, trackCount> tracks;
    std::int32_t currentTrack = -1;

private:
    bool setUpOpenGl();
};

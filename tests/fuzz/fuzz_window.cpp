// libFuzzer target for the window procedure: a Player is built over the fake
// platform and the recording OpenGL with stand-in modules and pictures, as
// WinMain builds it, and then driven by a sequence of window messages read
// from the input, with frames drawn now and then and the audio library's
// answers changed in between (tracks ending, loads and stops failing, message
// boxes that dispatch messages of their own). After every step the Player must
// still hold a track index from -1 to 8, a volume from 0 to 1 that the channel
// shares, and a title that is empty or one of the table's.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/app.h"
#include "assets/track_table.h"
#include "platform/fake/fake_platform.h"
#include "player/player.h"
#include "render/frame.h"
#include "tests/png/png_fixtures.h"
#include "tests/support/recording_gl.h"

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool empty() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::uint16_t word() { return static_cast<std::uint16_t>(byte() | byte() << 8); }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

ByteBuffer picture(std::uint32_t width, std::uint32_t height) {
    ByteBuffer rgba(std::size_t{width} * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 7);
    return fixtures::makeRgbaPng(width, height, rgba);
}

void installResources(bool withPictures) {
    for (int slot = 0; slot < trackCount; ++slot)
        fake::addResource(trackTable[slot].resourceId, "IT", {'I', 'M', 'P', 'M', static_cast<std::uint8_t>('0' + slot)});
    if (!withPictures) return;
    static const ByteBuffer button = picture(64, 64);
    static const ByteBuffer background = picture(480, 220);
    for (std::uint16_t id : {discImageId, playIconId, nextIconId, pauseIconId}) fake::addResource(id, "PNG", button);
    fake::addResource(backgroundId, "PNG", background);
}

LPARAM point(std::uint16_t x, std::uint16_t y) { return static_cast<LPARAM>(std::uint32_t{x} | std::uint32_t{y} << 16); }

// Messages a message box may dispatch while it is open.
constexpr UINT boxMessages[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_SIZE};

void checkPlayer(const Player& player) {
    if (player.currentTrack < -1 || player.currentTrack > 8) std::abort();
    if (!(player.volume >= 0.0f && player.volume <= 1.0f)) std::abort();
    if (player.channel.volume != player.volume) std::abort();
    if (player.title.empty()) return;
    for (const auto& row : trackTable)
        if (player.title == row.title) return;
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    fake::reset();
    recording_gl::reset();
    recording_gl::setRecording(false);
    std::uint8_t setup = in.byte();
    installResources((setup & 1) == 0);
    fake::script().createFontFails = (setup & 6) == 6;  // now and then a start-up that stops before the arcs
    running = true;
    thePlayer = nullptr;
    if (!createMainWindow(0, 0)) std::abort();
    auto player = std::make_unique<Player>();
    thePlayer = player.get();
    windowProc(mainWindow, WM_SIZE, 0, point(480, 240));
    checkPlayer(*player);

    while (!in.empty()) {
        std::uint8_t op = in.byte();
        switch (op % 16) {
        case 0: windowProc(mainWindow, WM_MOUSEMOVE, 0, point(in.word(), in.word())); break;
        case 1: windowProc(mainWindow, WM_LBUTTONDOWN, 1, point(in.word(), in.word())); break;
        case 2: windowProc(mainWindow, WM_LBUTTONUP, 0, point(in.word(), in.word())); break;
        case 3: windowProc(mainWindow, WM_KEYDOWN, in.byte(), 0); break;
        case 4: windowProc(mainWindow, WM_SIZE, 0, point(in.word(), in.word())); break;
        case 5:
        case 6: renderFrame(); break;
        case 7: fake::script().bassIsActiveResult = (in.byte() & 1) ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED; break;
        case 8: fake::script().bassLoadFails = in.byte() & 1; break;
        case 9: fake::script().bassStopResult = in.byte() & 1; break;
        case 10: {
            UINT message = boxMessages[in.byte() % std::size(boxMessages)];
            std::uint16_t a = in.word(), b = in.word();
            fake::dispatchDuringNextMessageBox(message, message == WM_KEYDOWN ? a & 0xFF : a, point(a, b));
            break;
        }
        case 11: windowProc(mainWindow, WM_SYSCOMMAND, in.word(), 0); break;
        case 12:
            windowProc(mainWindow, in.byte() % 2 ? WM_CLOSE : WM_PAINT, 0, 0);
            running = true;
            break;
        case 13: windowProc(mainWindow, in.word(), in.word(), static_cast<LPARAM>(in.word())); break;
        default: {
            // Positions near the controls of a 480 x 240 window, where most of the decisions are.
            std::uint16_t x = static_cast<std::uint16_t>(130 + in.byte() % 220);
            std::uint16_t y = static_cast<std::uint16_t>(80 + in.byte() % 140);
            windowProc(mainWindow, op % 2 ? WM_MOUSEMOVE : WM_LBUTTONDOWN, op % 2 ? 0 : 1, point(x, y));
            break;
        }
        }
        checkPlayer(*player);
    }
    renderFrame();
    checkPlayer(*player);
    thePlayer = nullptr;
    player.reset();
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    UnregisterClassA(windowClassName, GetModuleHandleA(nullptr));
    return 0;
}

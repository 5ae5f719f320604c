// A stand-in for the whole platform layer, for tests that need no display,
// no audio device and no font files: every call is recorded in order, and
// each result that can fail is scripted.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_library.h"
#include "platform/winapi.h"

namespace fake {

// One recorded call: its name and its arguments formatted as text, e.g.
// "BASS_MusicLoad(1, 8392704)" or "MessageBoxA(Fail occured, Could not stop BASS)".
struct Call {
    std::string name;
    std::string args;
    std::string text() const { return name + "(" + args + ")"; }
};

struct MessageBoxShown {
    std::string caption;
    std::string text;
    HWND owner;
    UINT type;
};

// What the next calls return. reset() restores these defaults: everything succeeds.
struct Script {
    bool registerClassFails = false;
    bool createWindowFails = false;
    int screenWidth = 1024;   // SM_CXFULLSCREEN
    int screenHeight = 768;   // SM_CYFULLSCREEN
    bool getDcFails = false;
    bool choosePixelFormatFails = false;
    bool setPixelFormatFails = false;
    bool createContextFails = false;
    bool makeCurrentFails = false;
    bool createFontFails = false;
    int charWidth = 12;                   // every advance width GetCharWidth32A reports
    std::map<UINT, int> charWidthFor;     // per-character overrides

    BOOL bassInitResult = TRUE;
    BOOL bassStopResult = TRUE;
    bool bassLoadFails = false;
    DWORD bassIsActiveResult = BASS_ACTIVE_PLAYING;
    std::vector<std::uint8_t> captureBytes;  // what BASS_ChannelGetData copies (up to length; rest untouched)

    LRESULT defWindowProcResult = 0;  // so a test can see the result passed through
    int quitAfterSleeps = -1;         // Sleep posts WM_QUIT once it has been called this often
};

Script& script();

// Clears the record, the message queue, the resources and the script.
void reset();

// Every call made since the last reset, in order.
const std::vector<Call>& calls();
std::vector<std::string> callNames();
// Calls whose name starts with prefix (e.g. "BASS_"), as text.
std::vector<std::string> callsStartingWith(const std::string& prefix);
void clearCalls();

const std::vector<MessageBoxShown>& messageBoxes();

// Messages that PeekMessageA hands out, one per call, in order.
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::size_t pendingMessages();

// A message box that, while shown, dispatches these messages to the window
// procedure first, as a real modal box's own message loop would.
void dispatchDuringNextMessageBox(UINT message, WPARAM wParam, LPARAM lParam);

// The embedded resources the fake's resource calls find.
void addResource(std::uint16_t id, const std::string& type, std::vector<std::uint8_t> bytes);

// The audio library's state as the fake keeps it.
struct AudioState {
    bool initialised = false;
    bool outputRunning = false;
    HMUSIC loaded = 0;        // the one loaded module, 0 for none
    bool paused = false;
    float amplification = -1; // the last value set, -1 for never
    std::vector<std::uint8_t> loadedBytes;  // copy of the bytes handed to the last successful load
};
const AudioState& audio();

// The window the fake created, null when none exists.
HWND createdWindow();
// The procedure registered for the window class.
WNDPROC registeredProcedure();
// Total milliseconds passed to Sleep.
std::uint64_t sleptMilliseconds();
// Calls SwapBuffers has seen.
int swapCount();

}  // namespace fake

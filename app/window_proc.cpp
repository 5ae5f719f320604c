#include "app/app.h"
#include "player/player.h"

namespace {

constexpr WPARAM zeroKey = 0x30;       // '0' picks nothing: the tracks are numbered from 1
constexpr WPARAM firstTrackKey = 0x31;  // '1'
constexpr WPARAM lastTrackKey = 0x39;   // '9'

bool isTrackKey(WPARAM key) { return key > zeroKey && key <= lastTrackKey; }

int pointerX(LPARAM lParam) { return LOWORD(static_cast<std::uintptr_t>(lParam)); }
int pointerY(LPARAM lParam) { return HIWORD(static_cast<std::uintptr_t>(lParam)); }

}  // namespace

LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (thePlayer != nullptr) {
            thePlayer->width = LOWORD(static_cast<std::uintptr_t>(lParam));
            thePlayer->height = HIWORD(static_cast<std::uintptr_t>(lParam));
        }
        return 0;

    case WM_CLOSE:
        // Only the loop ends here; WinMain destroys the window once the loop is left.
        running = false;
        return 0;

    case WM_SYSCOMMAND:
        // Screen-saver and monitor power-down requests are refused while the player is open.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;

    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            running = false;
        } else if (isTrackKey(wParam) && thePlayer != nullptr) {
            thePlayer->selectTrack(static_cast<int>(wParam - firstTrackKey));
        }
        break;

    case WM_MOUSEMOVE:
        if (thePlayer != nullptr) thePlayer->updatePointer(pointerX(lParam), pointerY(lParam));
        break;

    case WM_LBUTTONDOWN:
        if (thePlayer != nullptr) thePlayer->pressPointer(pointerX(lParam), pointerY(lParam));
        break;

    case WM_LBUTTONUP:
        if (thePlayer != nullptr) thePlayer->mouseDown = false;
        break;

    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

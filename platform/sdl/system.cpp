// Icons, cursors and sleeping.
#include <SDL.h>

#include "platform/winapi.h"

struct CursorObject {
    int unused;
};

namespace {
// A token only: SDL shows its default arrow in every window, which is the
// cursor the program asks for.
CursorObject arrowCursor{0};
}  // namespace

HICON LoadIconA(HINSTANCE, const char*) {
    // The program carries no icon; the window manager shows its default one.
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, const char* name) {
    if (instance == nullptr && name == IDC_ARROW) {
        return &arrowCursor;
    }
    return nullptr;
}

void Sleep(DWORD milliseconds) {
    SDL_Delay(milliseconds);
}

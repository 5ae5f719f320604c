// Message boxes: a modal dialog where there is a display, a line on stderr where there is none.
#include <SDL.h>

#include <cstdio>

#include "platform/winapi.h"

int MessageBoxA(HWND, const char* text, const char* caption, UINT) {
    const char* shownText = text != nullptr ? text : "";
    const char* shownCaption = caption != nullptr ? caption : "";
    // No parent: the box stands on its own, as every box of the program does.
    // SDL tries the real display drivers for the dialog even while its video
    // subsystem is down, so this also works before any window exists.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, shownCaption, shownText, nullptr) != 0) {
        // Nowhere to show it: say it once and go on at once, as if OK had been
        // pressed, so a run without a display never waits for a click.
        std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
        std::fflush(stderr);
    }
    return IDOK;
}

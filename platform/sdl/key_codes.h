// Keys as the program sees them: SDL's key identities turned into the
// virtual-key codes of the window system the program is written against.
#pragma once

#include <SDL.h>

#include "platform/winapi.h"

// The virtual-key code for a key, or 0 when the program has no name for it
// (such a key produces no message at all).
WPARAM virtualKeyFor(SDL_Scancode scancode, SDL_Keycode keycode);

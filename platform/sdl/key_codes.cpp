#include "platform/sdl/key_codes.h"

namespace {

struct KeyRow {
    SDL_Scancode scancode;
    WPARAM virtualKey;
};

// Keys named by their place on the keyboard. Letters are not here: they follow
// the keyboard layout (virtualKeyFor), as the imitated system's letter codes do.
constexpr KeyRow keyTable[] = {
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_END, 0x23},
    {SDL_SCANCODE_HOME, 0x24},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C},
    {SDL_SCANCODE_INSERT, 0x2D},
    {SDL_SCANCODE_DELETE, 0x2E},
    // The main row's digits are selected by position, not by the character
    // the layout puts there, so '1' to '9' pick tracks on every layout.
    {SDL_SCANCODE_0, 0x30},
    {SDL_SCANCODE_1, 0x31},
    {SDL_SCANCODE_2, 0x32},
    {SDL_SCANCODE_3, 0x33},
    {SDL_SCANCODE_4, 0x34},
    {SDL_SCANCODE_5, 0x35},
    {SDL_SCANCODE_6, 0x36},
    {SDL_SCANCODE_7, 0x37},
    {SDL_SCANCODE_8, 0x38},
    {SDL_SCANCODE_9, 0x39},
    {SDL_SCANCODE_LGUI, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0x5D},
    // Keypad digits have codes of their own, away from 0x30-0x39, so that
    // they select no track: only the main row does that.
    {SDL_SCANCODE_KP_0, VK_NUMPAD0 + 0},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9},
    {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_MINUS, 0x6D},
    {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F},
    {SDL_SCANCODE_F1, VK_F1 + 0},
    {SDL_SCANCODE_F2, VK_F1 + 1},
    {SDL_SCANCODE_F3, VK_F1 + 2},
    {SDL_SCANCODE_F4, VK_F1 + 3},
    {SDL_SCANCODE_F5, VK_F1 + 4},
    {SDL_SCANCODE_F6, VK_F1 + 5},
    {SDL_SCANCODE_F7, VK_F1 + 6},
    {SDL_SCANCODE_F8, VK_F1 + 7},
    {SDL_SCANCODE_F9, VK_F1 + 8},
    {SDL_SCANCODE_F10, VK_F1 + 9},
    {SDL_SCANCODE_F11, VK_F1 + 10},
    {SDL_SCANCODE_F12, VK_F1 + 11},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x91},
};

}  // namespace

WPARAM virtualKeyFor(SDL_Scancode scancode, SDL_Keycode keycode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) {
        return static_cast<WPARAM>('A' + (keycode - SDLK_a));
    }
    for (const KeyRow& row : keyTable) {
        if (row.scancode == scancode) {
            return row.virtualKey;
        }
    }
    // A letter key whose layout puts no Latin letter there keeps its place's letter.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return static_cast<WPARAM>('A' + (scancode - SDL_SCANCODE_A));
    }
    return 0;
}

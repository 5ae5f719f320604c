// SDL events turned into window messages, as pure functions: what the message
// queue hands out is decided here and nowhere else, and tests need no display.
#pragma once

#include <SDL.h>

#include "platform/winapi.h"

// Names the layer uses that the program above it never does; kept out of the
// shared declarations and in a namespace of their own.
namespace layer {
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM VK_F4 = VK_F1 + 3;
constexpr int WHEEL_DELTA = 120;
// lParam bits of key messages: the context bit (Alt was held), the previous
// key state (set on auto-repeat) and the transition bit (set on release).
constexpr LPARAM KEY_CONTEXT_ALT = LPARAM{1} << 29;
constexpr LPARAM KEY_PREVIOUSLY_DOWN = LPARAM{1} << 30;
constexpr LPARAM KEY_RELEASED = LPARAM{1} << 31;
}  // namespace layer

struct TranslatedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The message an SDL event becomes, or false when it has no counterpart.
// clientWidth and clientHeight are the client area of the event's window:
// pointer events outside it are dropped (see the definition).
bool translateEvent(const SDL_Event& event, int clientWidth, int clientHeight, TranslatedMessage* out);

// Whether the layer can give a window what a pixel-format descriptor asks for:
// RGBA, double-buffered, OpenGL, drawn to a window.
bool pixelFormatFits(const PIXELFORMATDESCRIPTOR* descriptor);

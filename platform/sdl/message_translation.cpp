#include "platform/sdl/message_translation.h"

#include "platform/sdl/key_codes.h"

namespace {

LPARAM pointAsLParam(Sint32 x, Sint32 y) {
    // Coordinates are packed as 16-bit words, as the imitated system does.
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

bool insideClient(Sint32 x, Sint32 y, int clientWidth, int clientHeight) {
    return x >= 0 && y >= 0 && x < clientWidth && y < clientHeight;
}

bool translateKey(const SDL_KeyboardEvent& key, TranslatedMessage* out) {
    const WPARAM virtualKey = virtualKeyFor(key.keysym.scancode, key.keysym.sym);
    if (virtualKey == 0) {
        return false;
    }
    const bool down = key.type == SDL_KEYDOWN;
    // Alt held, or Alt itself, makes a "system" key message: Alt+digit then
    // selects nothing, and Alt+F4 reaches the default procedure as a close.
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || virtualKey == VK_MENU;
    LPARAM lParam = 1;  // repeat count
    if (alt) {
        lParam |= layer::KEY_CONTEXT_ALT;
    }
    if (!down || key.repeat != 0) {
        lParam |= layer::KEY_PREVIOUSLY_DOWN;
    }
    if (!down) {
        lParam |= layer::KEY_RELEASED;
    }
    if (down) {
        out->message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    } else {
        out->message = alt ? layer::WM_SYSKEYUP : WM_KEYUP;
    }
    out->wParam = virtualKey;
    out->lParam = lParam;
    return true;
}

bool translateButton(const SDL_MouseButtonEvent& button, TranslatedMessage* out) {
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    switch (button.button) {
        case SDL_BUTTON_LEFT:
            out->message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            break;
        case SDL_BUTTON_RIGHT:
            out->message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
        case SDL_BUTTON_MIDDLE:
            out->message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
        default:
            return false;
    }
    out->wParam = 0;
    out->lParam = pointAsLParam(button.x, button.y);
    return true;
}

}  // namespace

bool translateEvent(const SDL_Event& event, int clientWidth, int clientHeight, TranslatedMessage* out) {
    switch (event.type) {
        case SDL_QUIT:
            // Also what SDL makes of SIGINT and SIGTERM: the program then ends
            // the way a closed window ends it.
            *out = {WM_CLOSE, 0, 0};
            return true;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_RESIZED:
                    *out = {WM_SIZE, 0,
                            MAKELPARAM(static_cast<WORD>(event.window.data1), static_cast<WORD>(event.window.data2))};
                    return true;
                case SDL_WINDOWEVENT_CLOSE:
                    *out = {WM_CLOSE, 0, 0};
                    return true;
                default:
                    return false;
            }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return translateKey(event.key, out);
        // The imitated window never captures the pointer, so it hears of the
        // pointer only over its client area. X11 grabs the pointer implicitly
        // while a button is held and would report moves and releases outside;
        // those are dropped here so that, for instance, a release outside the
        // window goes unseen there as well.
        case SDL_MOUSEMOTION:
            if (!insideClient(event.motion.x, event.motion.y, clientWidth, clientHeight)) {
                return false;
            }
            *out = {WM_MOUSEMOVE, 0, pointAsLParam(event.motion.x, event.motion.y)};
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (!insideClient(event.button.x, event.button.y, clientWidth, clientHeight)) {
                return false;
            }
            return translateButton(event.button, out);
        case SDL_MOUSEWHEEL: {
            int steps = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                steps = -steps;
            }
            if (steps == 0) {
                return false;  // a sideways scroll: no counterpart
            }
            const auto delta = static_cast<WORD>(static_cast<std::int16_t>(steps * layer::WHEEL_DELTA));
            *out = {WM_MOUSEWHEEL, static_cast<WPARAM>(delta) << 16, pointAsLParam(event.wheel.mouseX, event.wheel.mouseY)};
            return true;
        }
        default:
            return false;
    }
}

bool pixelFormatFits(const PIXELFORMATDESCRIPTOR* descriptor) {
    if (descriptor == nullptr) {
        return false;
    }
    constexpr DWORD required = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    return (descriptor->dwFlags & required) == required && descriptor->iPixelType == PFD_TYPE_RGBA;
}

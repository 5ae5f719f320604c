// The message queue and the procedures messages are handed to.
#include <SDL.h>

#include "platform/sdl/message_translation.h"
#include "platform/sdl/window_state.h"
#ifdef QUINTRELL_TRACE_LATENCY
#include "platform/sdl/audio_trace.h"
#endif

namespace {

bool matchesFilter(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && message.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return message.message >= filterMin && message.message <= filterMax;
}

// Moves whatever SDL has waiting onto the layer's queue, in order, as messages.
void pumpSdlEvents() {
    WindowSystem& state = windowSystem();
    if (!state.videoUp) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        WindowObject* window = nullptr;
        switch (event.type) {
            case SDL_QUIT:
                // Has no window: it goes to the first one, the main window.
                window = state.windows.empty() ? nullptr : state.windows.front().get();
                break;
            case SDL_WINDOWEVENT:
                window = findWindowBySdlId(event.window.windowID);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                window = findWindowBySdlId(event.key.windowID);
                break;
            case SDL_MOUSEMOTION:
                window = findWindowBySdlId(event.motion.windowID);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                window = findWindowBySdlId(event.button.windowID);
                break;
            case SDL_MOUSEWHEEL:
                window = findWindowBySdlId(event.wheel.windowID);
                break;
            default:
                break;
        }
        if (window == nullptr) {
            continue;
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            window->clientWidth = event.window.data1;
            window->clientHeight = event.window.data2;
        }
        TranslatedMessage translated;
        if (!translateEvent(event, window->clientWidth, window->clientHeight, &translated)) {
            continue;
        }
        MSG message{};
        message.hwnd = window;
        message.message = translated.message;
        message.wParam = translated.wParam;
        message.lParam = translated.lParam;
        message.time = SDL_GetTicks();
        state.queue.push_back(message);
#ifdef QUINTRELL_TRACE_LATENCY
        if (message.message == WM_KEYDOWN) audio_trace::keyDown(message.wParam);
#endif
    }
}

LRESULT sendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* window = findWindow(handle);
    if (window == nullptr) {
        return 0;
    }
    return window->procedure(handle, message, wParam, lParam);
}

}  // namespace

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (message == nullptr) {
        return FALSE;
    }
    WindowSystem& state = windowSystem();
    pumpSdlEvents();
    for (auto it = state.queue.begin(); it != state.queue.end(); ++it) {
        if (matchesFilter(*it, window, filterMin, filterMax)) {
            *message = *it;
            if ((removeFlags & PM_REMOVE) != 0) {
                state.queue.erase(it);
            }
            return TRUE;
        }
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG*) {
    // No character messages: the program reads key codes only.
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (message == nullptr) {
        return 0;
    }
    return sendMessage(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Alt+F4 closes the window as the imitated system's default handling does:
    // a system close command first, which in turn becomes a close message.
    // That is what closes the window where no window manager offers a close box.
    if (message == WM_SYSKEYDOWN && wParam == layer::VK_F4 && (lParam & layer::KEY_CONTEXT_ALT) != 0) {
        sendMessage(window, WM_SYSCOMMAND, layer::SC_CLOSE, 0);
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == layer::SC_CLOSE) {
        sendMessage(window, WM_CLOSE, 0, 0);
        return 0;
    }
    return 0;
}

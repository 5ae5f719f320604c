// Window classes, windows and the display, over SDL's video subsystem.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "platform/sdl/window_state.h"

WindowSystem& windowSystem() {
    // Never destroyed: the window, the GL context and the audio that plays
    // alongside all live until the process ends, and nothing here may be torn
    // down by a static destructor while another thread still runs.
    static WindowSystem* const state = new WindowSystem;
    return *state;
}

bool bringUpVideo() {
    WindowSystem& state = windowSystem();
    if (state.videoUp) {
        return true;
    }
    // One close request must become one WM_CLOSE: without this SDL follows
    // the window's close event with a quit event of its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The imitated window never captures the pointer; see message_translation.cpp.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && chosen[0] != '\0') {
        // Someone asked for a driver by name (a test, a special set-up): SDL reads
        // the variable itself and it takes precedence over any hint.
        state.videoUp = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    } else {
        // Left to choose, SDL 2.26 falls back to its offscreen driver when no
        // display can be opened, and an invisible player would go on playing
        // music with no way to stop it. Only real displays are tried.
        for (const char* driver : {"x11", "wayland"}) {
            // libwayland complains on stderr when it finds no compositor, so
            // it is only asked where a session names one.
            if (SDL_strcmp(driver, "wayland") == 0 && std::getenv("WAYLAND_DISPLAY") == nullptr &&
                std::getenv("WAYLAND_SOCKET") == nullptr) {
                continue;
            }
            // Override: an empty SDL_VIDEODRIVER would otherwise win and let SDL try every driver.
            SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
                state.videoUp = true;
                break;
            }
        }
    }
    if (state.videoUp) {
        // Refused while the program runs, as its window refuses the screen
        // saver's requests; SDL does this by default, kept explicit here.
        SDL_DisableScreenSaver();
    }
    return state.videoUp;
}

WindowObject* findWindow(HWND window) {
    for (const auto& record : windowSystem().windows) {
        if (record.get() == window) {
            return record.get();
        }
    }
    return nullptr;
}

WindowObject* findWindowBySdlId(Uint32 id) {
    for (const auto& record : windowSystem().windows) {
        if (record->sdlWindowId == id) {
            return record.get();
        }
    }
    return nullptr;
}

HDC deviceContextOf(WindowObject* window) {
    return reinterpret_cast<HDC>(&window->deviceContext);
}

WindowObject* findWindowByDc(HDC dc) {
    for (const auto& record : windowSystem().windows) {
        if (deviceContextOf(record.get()) == dc) {
            return record.get();
        }
    }
    return nullptr;
}

namespace {

RegisteredClass* findClass(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (RegisteredClass& registered : windowSystem().classes) {
        // Class names are matched without regard to case, as the imitated system does.
        if (SDL_strcasecmp(registered.name.c_str(), name) == 0) {
            return &registered;
        }
    }
    return nullptr;
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr || IS_INTRESOURCE(windowClass->lpszClassName) ||
        windowClass->lpfnWndProc == nullptr || findClass(windowClass->lpszClassName) != nullptr) {
        return 0;
    }
    WindowSystem& state = windowSystem();
    RegisteredClass registered;
    registered.name = windowClass->lpszClassName;
    registered.instance = windowClass->hInstance;
    registered.procedure = windowClass->lpfnWndProc;
    registered.atom = state.nextAtom++;
    state.classes.push_back(registered);
    return registered.atom;
}

BOOL UnregisterClassA(const char* className, HINSTANCE) {
    WindowSystem& state = windowSystem();
    RegisteredClass* registered = findClass(className);
    if (registered == nullptr) {
        return FALSE;
    }
    state.classes.erase(state.classes.begin() + (registered - state.classes.data()));
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) {
    // The rectangle stays the client rectangle: the caller asks for a window
    // whose client area has this size, and here the window manager draws the
    // frame outside the area SDL sizes, so there is no frame to add.
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, void*) {
    const RegisteredClass* registered = findClass(className);
    if (registered == nullptr || width <= 0 || height <= 0 || !bringUpVideo()) {
        return nullptr;
    }
    // X11 fixes a window's visual when the window is made, so the framebuffer
    // the pixel format will later ask for is chosen here.
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if ((exStyle & WS_EX_TOOLWINDOW) != 0) {
        flags |= SDL_WINDOW_UTILITY;  // ignored where the video driver has no such type
    }
    SDL_Window* sdlWindow = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
    if (sdlWindow == nullptr) {
        return nullptr;
    }
    auto record = std::make_unique<WindowObject>();
    record->sdlWindow = sdlWindow;
    record->sdlWindowId = SDL_GetWindowID(sdlWindow);
    record->procedure = registered->procedure;
    record->clientWidth = width;
    record->clientHeight = height;
    WindowObject* window = record.get();
    windowSystem().windows.push_back(std::move(record));
    return window;
}

BOOL DestroyWindow(HWND handle) {
    WindowSystem& state = windowSystem();
    WindowObject* window = findWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    // Queued messages for a window that no longer exists are never handed out.
    std::erase_if(state.queue, [handle](const MSG& message) { return message.hwnd == handle; });
    SDL_DestroyWindow(window->sdlWindow);
    std::erase_if(state.windows, [window](const auto& record) { return record.get() == window; });
    return TRUE;
}

int GetSystemMetrics(int index) {
    if (index != SM_CXFULLSCREEN && index != SM_CYFULLSCREEN) {
        return 0;
    }
    // Asked before any window exists, so this is where the display is opened first.
    if (!bringUpVideo()) {
        return 0;
    }
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        return 0;
    }
    return index == SM_CXFULLSCREEN ? usable.w : usable.h;
}

BOOL ShowWindow(HWND handle, int command) {
    WindowObject* window = findWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const BOOL wasVisible = (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_SHOWN) != 0 ? TRUE : FALSE;
    if (command == SW_HIDE) {
        SDL_HideWindow(window->sdlWindow);
        return wasVisible;
    }
    SDL_ShowWindow(window->sdlWindow);
    if (!window->shownOnce) {
        window->shownOnce = true;
        // The imitated system sends the first size message while a hidden
        // window is first shown, and the program learns its client size from
        // it. SDL on an X server without a window manager sends no size event
        // when a window is mapped, so the layer sends it here, synchronously.
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(window->sdlWindow, &width, &height);
        window->clientWidth = width;
        window->clientHeight = height;
        window->procedure(handle, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
    }
    return wasVisible;
}

BOOL SetForegroundWindow(HWND handle) {
    WindowObject* window = findWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    SDL_RaiseWindow(window->sdlWindow);
    return TRUE;
}

HWND SetFocus(HWND handle) {
    WindowObject* window = findWindow(handle);
    if (window == nullptr) {
        return nullptr;
    }
    HWND previous = nullptr;
    if (SDL_Window* focused = SDL_GetKeyboardFocus(); focused != nullptr) {
        previous = findWindowBySdlId(SDL_GetWindowID(focused));
    }
    // Fails on an X server while the window is not yet mapped or when a window
    // manager refuses; the program goes on either way, and keyboard focus then
    // follows the window manager.
    SDL_SetWindowInputFocus(window->sdlWindow);
    return previous;
}

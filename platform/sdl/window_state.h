// The window layer's one state record, shared by the files that implement the
// window, message, GL-context and message-box calls. Nothing above the layer
// sees it.
#pragma once

#include <SDL.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi.h"

struct WindowObject {
    SDL_Window* sdlWindow = nullptr;
    Uint32 sdlWindowId = 0;
    WNDPROC procedure = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    bool shownOnce = false;
    // The address of this byte is the window's one device context
    // (every window behaves as if its class had CS_OWNDC).
    char deviceContext = 0;
    int pixelFormat = 0;
};

struct GlContextObject {
    SDL_GLContext sdlContext = nullptr;
};

struct RegisteredClass {
    std::string name;
    HINSTANCE instance = nullptr;
    WNDPROC procedure = nullptr;
    ATOM atom = 0;
};

struct WindowSystem {
    bool videoUp = false;
    std::vector<RegisteredClass> classes;
    std::vector<std::unique_ptr<WindowObject>> windows;
    std::vector<std::unique_ptr<GlContextObject>> glContexts;
    // Messages the layer makes itself, handed out before SDL's events.
    std::deque<MSG> queue;
    ATOM nextAtom = 0xC000;
};

WindowSystem& windowSystem();

// Brings SDL's video up on a real display; false when there is none.
bool bringUpVideo();

// A live window of the layer, or null for anything else (null, destroyed, unknown).
WindowObject* findWindow(HWND window);
WindowObject* findWindowBySdlId(Uint32 id);
WindowObject* findWindowByDc(HDC dc);
HDC deviceContextOf(WindowObject* window);

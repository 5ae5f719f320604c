// Device contexts, pixel formats and OpenGL contexts, over SDL's GL calls.
#include <SDL.h>

#include "platform/sdl/message_translation.h"
#include "platform/sdl/window_state.h"

namespace {

// The one format the layer offers: the framebuffer CreateWindowExA asked for.
constexpr int offeredFormat = 1;

GlContextObject* findContext(HGLRC context) {
    for (const auto& record : windowSystem().glContexts) {
        if (record.get() == context) {
            return record.get();
        }
    }
    return nullptr;
}

}  // namespace

HDC GetDC(HWND handle) {
    WindowObject* window = findWindow(handle);
    return window != nullptr ? deviceContextOf(window) : nullptr;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (findWindowByDc(dc) == nullptr || !pixelFormatFits(descriptor)) {
        return 0;
    }
    return offeredFormat;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    WindowObject* window = findWindowByDc(dc);
    // A window's format is set once, as on the imitated system.
    if (window == nullptr || format != offeredFormat || (window->pixelFormat != 0 && window->pixelFormat != format)) {
        return FALSE;
    }
    window->pixelFormat = format;
    return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
    WindowObject* window = findWindowByDc(dc);
    if (window == nullptr || window->pixelFormat == 0) {
        return nullptr;
    }
    // The attributes CreateWindowExA set still hold: a compatibility context,
    // since every frame is drawn in immediate mode.
    SDL_GLContext sdlContext = SDL_GL_CreateContext(window->sdlWindow);
    if (sdlContext == nullptr) {
        return nullptr;
    }
    auto record = std::make_unique<GlContextObject>();
    record->sdlContext = sdlContext;
    GlContextObject* context = record.get();
    windowSystem().glContexts.push_back(std::move(record));
    return context;
}

BOOL wglMakeCurrent(HDC dc, HGLRC handle) {
    if (handle == nullptr) {
        WindowObject* window = findWindowByDc(dc);
        return SDL_GL_MakeCurrent(window != nullptr ? window->sdlWindow : nullptr, nullptr) == 0 ? TRUE : FALSE;
    }
    WindowObject* window = findWindowByDc(dc);
    GlContextObject* context = findContext(handle);
    if (window == nullptr || context == nullptr) {
        return FALSE;
    }
    if (SDL_GL_MakeCurrent(window->sdlWindow, context->sdlContext) != 0) {
        return FALSE;
    }
    // No waiting for the display's refresh in SwapBuffers: the frame loop
    // paces itself with its own sleep after each frame.
    SDL_GL_SetSwapInterval(0);
    return TRUE;
}

BOOL SwapBuffers(HDC dc) {
    WindowObject* window = findWindowByDc(dc);
    if (window == nullptr) {
        return FALSE;
    }
    SDL_GL_SwapWindow(window->sdlWindow);
    return TRUE;
}

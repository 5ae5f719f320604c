#include "platform/fake/fake_platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace fake {
namespace {

struct Token {
    int unused;
};
Token windowToken, dcToken, contextToken, moduleToken, cursorToken, fontToken;

struct Resource {
    std::uint16_t id;
    std::string type;
    std::vector<std::uint8_t> bytes;
};

struct State {
    Script script;
    std::vector<Call> calls;
    std::vector<MessageBoxShown> boxes;
    std::deque<MSG> queue;
    std::vector<MSG> duringNextBox;
    std::vector<Resource> resources;
    AudioState audio;
    HMUSIC nextHandle = 1;
    WNDCLASSA windowClass{};
    bool classRegistered = false;
    HWND window = nullptr;
    HGDIOBJ selectedFont = nullptr;
    std::uint64_t slept = 0;
    int swaps = 0;
};

State& state() {
    static State s;
    return s;
}

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

void record(const char* name, std::string args = {}) { state().calls.push_back({name, std::move(args)}); }

std::string nameText(const char* name) {
    if (name == nullptr) return "null";
    if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
    return name;
}

HWND windowHandle() { return reinterpret_cast<HWND>(&windowToken); }

const Resource* resourceFrom(HRSRC handle) { return reinterpret_cast<const Resource*>(handle); }

}  // namespace

Script& script() { return state().script; }

void reset() { state() = State{}; }

const std::vector<Call>& calls() { return state().calls; }

std::vector<std::string> callNames() {
    std::vector<std::string> names;
    for (const Call& call : state().calls) names.push_back(call.name);
    return names;
}

std::vector<std::string> callsStartingWith(const std::string& prefix) {
    std::vector<std::string> found;
    for (const Call& call : state().calls)
        if (call.name.rfind(prefix, 0) == 0) found.push_back(call.text());
    return found;
}

void clearCalls() { state().calls.clear(); }

const std::vector<MessageBoxShown>& messageBoxes() { return state().boxes; }

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    state().queue.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
}

std::size_t pendingMessages() { return state().queue.size(); }

void dispatchDuringNextMessageBox(UINT message, WPARAM wParam, LPARAM lParam) {
    state().duringNextBox.push_back(MSG{nullptr, message, wParam, lParam, 0, {0, 0}});
}

void addResource(std::uint16_t id, const std::string& type, std::vector<std::uint8_t> bytes) {
    state().resources.push_back({id, type, std::move(bytes)});
}

const AudioState& audio() { return state().audio; }
HWND createdWindow() { return state().window; }
WNDPROC registeredProcedure() { return state().classRegistered ? state().windowClass.lpfnWndProc : nullptr; }
std::uint64_t sleptMilliseconds() { return state().slept; }
int swapCount() { return state().swaps; }

}  // namespace fake

using fake::state;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    fake::record("RegisterClassA", fake::format("%s, style %u", windowClass->lpszClassName, windowClass->style));
    if (state().script.registerClassFails) return 0;
    state().windowClass = *windowClass;
    state().classRegistered = true;
    return 1;
}

BOOL UnregisterClassA(const char* className, HINSTANCE) {
    fake::record("UnregisterClassA", className);
    state().classRegistered = false;
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle) {
    fake::record("AdjustWindowRectEx", fake::format("%d %d %d %d, 0x%X, %d, 0x%X", rect->left, rect->top, rect->right,
                                                    rect->bottom, style, hasMenu, exStyle));
    // A frame as a desktop would add it, so that callers that use the adjusted size can be checked.
    rect->left -= 3;
    rect->top -= 26;
    rect->right += 3;
    rect->bottom += 3;
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE, void* param) {
    fake::record("CreateWindowExA", fake::format("0x%X, %s, %s, 0x%X, %d, %d, %d, %d, %s, %s, %s", exStyle, className,
                                                 title, style, x, y, width, height, parent ? "parent" : "null",
                                                 menu ? "menu" : "null", param ? "param" : "null"));
    if (state().script.createWindowFails) return nullptr;
    state().window = fake::windowHandle();
    return state().window;
}

BOOL DestroyWindow(HWND window) {
    fake::record("DestroyWindow");
    if (window == state().window) state().window = nullptr;
    return TRUE;
}

int GetSystemMetrics(int index) {
    fake::record("GetSystemMetrics", std::to_string(index));
    if (index == SM_CXFULLSCREEN) return state().script.screenWidth;
    if (index == SM_CYFULLSCREEN) return state().script.screenHeight;
    return 0;
}

HICON LoadIconA(HINSTANCE, const char* name) {
    fake::record("LoadIconA", fake::nameText(name));
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, const char* name) {
    fake::record("LoadCursorA", (instance ? "module, " : "null, ") + fake::nameText(name));
    return reinterpret_cast<HCURSOR>(&fake::cursorToken);
}

BOOL SetForegroundWindow(HWND) {
    fake::record("SetForegroundWindow");
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    fake::record("ShowWindow", std::to_string(command));
    return window == state().window ? TRUE : FALSE;
}

HWND SetFocus(HWND) {
    fake::record("SetFocus");
    return nullptr;
}

HDC GetDC(HWND) {
    fake::record("GetDC");
    if (state().script.getDcFails) return nullptr;
    return reinterpret_cast<HDC>(&fake::dcToken);
}

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    if (state().queue.empty()) return FALSE;
    *message = state().queue.front();
    if (removeFlags & PM_REMOVE) state().queue.pop_front();
    return TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* message) {
    if (!state().classRegistered) return 0;
    return state().windowClass.lpfnWndProc(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT DefWindowProcA(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    fake::record("DefWindowProcA", fake::format("0x%X, 0x%lX, 0x%lX", message, static_cast<unsigned long>(wParam),
                                                static_cast<unsigned long>(lParam)));
    return state().script.defWindowProcResult;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    fake::record("MessageBoxA", fake::format("%s, %s", caption, text));
    state().boxes.push_back({caption, text, owner, type});
    // A modal box runs its own message loop, which can reach the window procedure.
    std::vector<MSG> pending;
    pending.swap(state().duringNextBox);
    for (MSG& message : pending)
        if (state().classRegistered)
            state().windowClass.lpfnWndProc(state().window, message.message, message.wParam, message.lParam);
    return IDOK;
}

int ChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR* descriptor) {
    fake::record("ChoosePixelFormat",
                 fake::format("size %u, version %u, flags %u, type %u, colour %u, depth %u, alpha %u, stencil %u",
                              descriptor->nSize, descriptor->nVersion, descriptor->dwFlags, descriptor->iPixelType,
                              descriptor->cColorBits, descriptor->cDepthBits, descriptor->cAlphaBits,
                              descriptor->cStencilBits));
    return state().script.choosePixelFormatFails ? 0 : 7;
}

BOOL SetPixelFormat(HDC, int format, const PIXELFORMATDESCRIPTOR*) {
    fake::record("SetPixelFormat", std::to_string(format));
    return state().script.setPixelFormatFails ? FALSE : TRUE;
}

HGLRC wglCreateContext(HDC) {
    fake::record("wglCreateContext");
    if (state().script.createContextFails) return nullptr;
    return reinterpret_cast<HGLRC>(&fake::contextToken);
}

BOOL wglMakeCurrent(HDC, HGLRC) {
    fake::record("wglMakeCurrent");
    return state().script.makeCurrentFails ? FALSE : TRUE;
}

BOOL SwapBuffers(HDC) {
    fake::record("SwapBuffers");
    ++state().swaps;
    return TRUE;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, const char* faceName) {
    fake::record("CreateFontA", fake::format("%d, %d, %d, %d, %d, %u, %u, %u, %u, %u, %u, %u, %u, %s", height, width,
                                             escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                             outputPrecision, clipPrecision, quality, pitchAndFamily, faceName));
    if (state().script.createFontFails) return nullptr;
    return &fake::fontToken;
}

HGDIOBJ SelectObject(HDC, HGDIOBJ object) {
    fake::record("SelectObject");
    HGDIOBJ previous = state().selectedFont;
    state().selectedFont = object;
    return previous;
}

BOOL GetCharWidth32A(HDC, UINT first, UINT last, int* widths) {
    fake::record("GetCharWidth32A", fake::format("%u, %u", first, last));
    if (state().selectedFont == nullptr) return FALSE;
    for (UINT c = first; c <= last; ++c) {
        auto found = state().script.charWidthFor.find(c);
        widths[c - first] = found != state().script.charWidthFor.end() ? found->second : state().script.charWidth;
    }
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
    fake::record("DeleteObject");
    if (object == state().selectedFont) state().selectedFont = nullptr;
    return TRUE;
}

BOOL wglUseFontBitmapsA(HDC, DWORD first, DWORD count, DWORD listBase) {
    fake::record("wglUseFontBitmapsA", fake::format("%u, %u, %u", first, count, listBase));
    return state().selectedFont != nullptr ? TRUE : FALSE;
}

HMODULE GetModuleHandleA(const char* moduleName) {
    fake::record("GetModuleHandleA", moduleName ? moduleName : "null");
    return moduleName == nullptr ? reinterpret_cast<HMODULE>(&fake::moduleToken) : nullptr;
}

HRSRC FindResourceA(HMODULE, const char* name, const char* type) {
    fake::record("FindResourceA", fake::nameText(name) + ", " + fake::nameText(type));
    if (!IS_INTRESOURCE(name) || type == nullptr || IS_INTRESOURCE(type)) return nullptr;
    auto id = static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(name));
    for (const auto& resource : state().resources)
        if (resource.id == id && resource.type == type)
            return reinterpret_cast<HRSRC>(const_cast<fake::Resource*>(&resource));
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    fake::record("LoadResource");
    return reinterpret_cast<HGLOBAL>(resource);
}

void* LockResource(HGLOBAL data) {
    fake::record("LockResource");
    if (data == nullptr) return nullptr;
    auto* resource = reinterpret_cast<const fake::Resource*>(data);
    // A zero-length resource still has an address, as an image section would give it.
    static const std::uint8_t nothing = 0;
    return const_cast<std::uint8_t*>(resource->bytes.empty() ? &nothing : resource->bytes.data());
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    fake::record("SizeofResource");
    return resource ? static_cast<DWORD>(fake::resourceFrom(resource)->bytes.size()) : 0;
}

void Sleep(DWORD milliseconds) {
    fake::record("Sleep", std::to_string(milliseconds));
    state().slept += milliseconds;
    if (state().script.quitAfterSleeps > 0 && --state().script.quitAfterSleeps == 0)
        fake::postMessage(nullptr, WM_QUIT, 0, 0);
}

// The audio library.

BOOL BASS_Init(int device, DWORD frequency, DWORD flags, HWND window, const void* classId) {
    fake::record("BASS_Init", fake::format("%d, %u, %u, %s, %s", device, frequency, flags, window ? "window" : "0",
                                           classId ? "class" : "0"));
    state().audio.initialised = state().script.bassInitResult != 0;
    return state().script.bassInitResult;
}

BOOL BASS_Free() {
    fake::record("BASS_Free");
    state().audio = fake::AudioState{};
    return TRUE;
}

BOOL BASS_Stop() {
    fake::record("BASS_Stop");
    if (!state().script.bassStopResult) return FALSE;
    state().audio.outputRunning = false;
    return TRUE;
}

BOOL BASS_Start() {
    fake::record("BASS_Start");
    state().audio.outputRunning = true;
    return TRUE;
}

HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD frequency) {
    fake::record("BASS_MusicLoad", fake::format("%d, %s, %llu, %u, 0x%X, %u", fromMemory, file ? "bytes" : "null",
                                                static_cast<unsigned long long>(offset), length, flags, frequency));
    if (state().script.bassLoadFails || file == nullptr || length == 0) return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(file) + offset;
    state().audio.loaded = state().nextHandle++;
    state().audio.loadedBytes.assign(bytes, bytes + length);
    state().audio.paused = false;
    return state().audio.loaded;
}

BOOL BASS_MusicFree(HMUSIC handle) {
    fake::record("BASS_MusicFree", std::to_string(handle));
    if (handle != state().audio.loaded) return FALSE;
    state().audio.loaded = 0;
    state().audio.loadedBytes.clear();
    return TRUE;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    fake::record("BASS_ChannelPlay", fake::format("%u, %d", handle, restart));
    if (handle != state().audio.loaded) return FALSE;
    state().audio.paused = false;
    return TRUE;
}

BOOL BASS_ChannelPause(DWORD handle) {
    fake::record("BASS_ChannelPause", std::to_string(handle));
    if (handle != state().audio.loaded) return FALSE;
    state().audio.paused = true;
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    fake::record("BASS_ChannelIsActive", std::to_string(handle));
    return state().script.bassIsActiveResult;
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attribute, float value) {
    fake::record("BASS_ChannelSetAttribute", fake::format("%u, 0x%X, %.9g", handle, attribute, value));
    if (handle != state().audio.loaded) return FALSE;
    state().audio.amplification = value;
    return TRUE;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    fake::record("BASS_ChannelGetData", fake::format("%u, %u", handle, length));
    const auto& bytes = state().script.captureBytes;
    DWORD count = static_cast<DWORD>(bytes.size() < length ? bytes.size() : length);
    if (count > 0) std::memcpy(buffer, bytes.data(), count);
    return count;
}

// The window-system calls the program is written against, declared here from
// what the program expects of each one, and implemented by this folder over
// SDL2, Mesa, FreeType and fontconfig (platform/sdl) or by the test fake
// (platform/fake).
//
// Failure convention, as the program relies on it: handles are null on
// failure, BOOL results are 0 (FALSE) on failure, counts and ids are 0 on
// failure. Nothing here throws or logs; the caller decides what to report.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using ATOM = WORD;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Opaque handles: each is a pointer to a type nobody above the layer can see.
struct WindowObject;
struct DeviceContextObject;
struct GlContextObject;
struct ModuleObject;
struct ResourceInfoObject;
struct ResourceDataObject;
struct IconObject;
struct CursorObject;
struct BrushObject;
struct MenuObject;
using HWND = WindowObject*;
using HDC = DeviceContextObject*;
using HGLRC = GlContextObject*;
using HINSTANCE = ModuleObject*;
using HMODULE = ModuleObject*;
using HRSRC = ResourceInfoObject*;
using HGLOBAL = ResourceDataObject*;
using HICON = IconObject*;
using HCURSOR = CursorObject*;
using HBRUSH = BrushObject*;
using HMENU = MenuObject*;
using HGDIOBJ = void*;  // any drawing object: fonts are passed as this
using HFONT = HGDIOBJ;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the descriptor's size is part of its contract");

// A small integer id passed where a name is expected (resources, stock icons).
inline const char* MAKEINTRESOURCEA(WORD id) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(const char* name) {
    return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}

constexpr WORD LOWORD(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Messages.
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;

constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

// Virtual-key codes. Letters and the main row's digits are their ASCII codes.
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_NUMPAD0 = 0x60;
constexpr WPARAM VK_F1 = 0x70;

constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;

constexpr UINT MB_OK = 0x0000;
constexpr int IDOK = 1;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_MAIN_PLANE = 0;

constexpr WORD IDI_APPLICATION_ID = 32512;
constexpr WORD IDC_ARROW_ID = 32512;
#define IDI_APPLICATION MAKEINTRESOURCEA(IDI_APPLICATION_ID)
#define IDC_ARROW MAKEINTRESOURCEA(IDC_ARROW_ID)

// Font creation.
constexpr int FW_NORMAL = 400;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_TT_PRECIS = 4;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

// The program's entry, defined above the layer; the layer's process entry calls it.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, char* commandLine, int showCommand);

// Windows and classes.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(const char* className, HINSTANCE instance);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle);
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
int GetSystemMetrics(int index);
HICON LoadIconA(HINSTANCE instance, const char* name);
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
BOOL SetForegroundWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
HWND SetFocus(HWND window);
HDC GetDC(HWND window);

// Messages.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// Pixel format, rendering context, presentation.
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor);
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor);
HGLRC wglCreateContext(HDC dc);
BOOL wglMakeCurrent(HDC dc, HGLRC context);
BOOL SwapBuffers(HDC dc);

// The title font.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* faceName);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL GetCharWidth32A(HDC dc, UINT first, UINT last, int* widths);
BOOL DeleteObject(HGDIOBJ object);
BOOL wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD listBase);

// The executable's embedded resources.
HMODULE GetModuleHandleA(const char* moduleName);
HRSRC FindResourceA(HMODULE module, const char* name, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);

void Sleep(DWORD milliseconds);

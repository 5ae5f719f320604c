#include "app/app.h"
#include "player/player.h"
#include "render/frame.h"

bool running = true;
Player* thePlayer = nullptr;
HWND mainWindow = nullptr;

namespace {

constexpr DWORD mainWindowExStyle = WS_EX_APPWINDOW | WS_EX_TOOLWINDOW;
constexpr DWORD mainWindowStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;
constexpr DWORD framePause = 20;

void runFrameLoop() {
    MSG message;
    while (running) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                running = false;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            renderFrame();
            Sleep(framePause);
        }
    }
}

}  // namespace

bool createMainWindow(int x, int y) {
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = windowClassName;
    if (RegisterClassA(&windowClass) == 0) return false;

    // The frame is measured with the system menu alone; the clip styles do not change it.
    RECT frame{0, 0, requestedClientWidth, requestedClientHeight};
    AdjustWindowRectEx(&frame, WS_SYSMENU, FALSE, mainWindowExStyle);

    mainWindow = CreateWindowExA(mainWindowExStyle, windowClassName, windowTitle, mainWindowStyle, x, y,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                 nullptr);
    return mainWindow != nullptr;
}

int WinMain(HINSTANCE, HINSTANCE, char*, int) {
    // Centred on the requested client size, not the outer size.
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) - requestedClientWidth) / 2;
    int y = (GetSystemMetrics(SM_CYFULLSCREEN) - requestedClientHeight) / 2;

    if (!createMainWindow(x, y)) {
        MessageBoxA(nullptr, "Could not create window", "Error", MB_OK);
        return 0;
    }
    running = true;

    thePlayer = new Player();

    // Shown only now: the first showing brings the WM_SIZE the Player needs.
    SetForegroundWindow(mainWindow);
    ShowWindow(mainWindow, SW_SHOW);
    SetFocus(mainWindow);

    runFrameLoop();

    if (mainWindow != nullptr) {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
        UnregisterClassA(windowClassName, GetModuleHandleA(nullptr));
    }
    return 0;
}

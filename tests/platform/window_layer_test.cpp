// The window layer itself on a private X server: classes, the first size
// message, the default procedure's close path, device and GL contexts.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/window_state.h"
#include "platform/winapi.h"
#include "tests/e2e/harness.h"

namespace {

// One X server for the whole process: SDL's video connection lives as long as the process.
class DisplayEnvironment : public testing::Environment {
public:
    void SetUp() override {
        display = std::make_unique<e2e::VirtualDisplay>();
        if (display->ok()) {
            setenv("DISPLAY", display->name().c_str(), 1);
        }
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("WAYLAND_DISPLAY");
    }
    // The server is left to die with the process (it is bound to it): closing
    // it under SDL's open connection would end the process from Xlib.
    std::unique_ptr<e2e::VirtualDisplay> display;
};
DisplayEnvironment* environment = nullptr;

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

// Records every message and leaves everything to the default procedure.
LRESULT recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSA classNamed(const char* name) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = name;
    return windowClass;
}

class WindowLayer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(environment->display->ok()) << environment->display->error();
        received.clear();
        const WNDCLASSA windowClass = classNamed("layer test");
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window_ = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_TOOLWINDOW, "layer test", "layer test window",
                                  WS_SYSMENU, 100, 50, 480, 240, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window_);
        UnregisterClassA("layer test", nullptr);
    }
    HWND window_ = nullptr;
};

TEST_F(WindowLayer, ClassNamesAreRegisteredOnce) {
    const WNDCLASSA same = classNamed("LAYER TEST");  // names match regardless of case
    EXPECT_EQ(RegisterClassA(&same), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    WNDCLASSA unnamed = classNamed(nullptr);
    EXPECT_EQ(RegisterClassA(&unnamed), 0);
    EXPECT_EQ(CreateWindowExA(0, "no such class", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(UnregisterClassA("no such class", nullptr));
}

TEST_F(WindowLayer, AdjustedRectangleIsTheClientRectangle) {
    RECT rect{0, 0, 480, 240};
    EXPECT_TRUE(AdjustWindowRectEx(&rect, WS_SYSMENU, FALSE, WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 480);
    EXPECT_EQ(rect.bottom, 240);
}

TEST_F(WindowLayer, FirstShowingSendsTheClientSizeOnceAndAtOnce) {
    EXPECT_TRUE(received.empty()) << "no message before the window is shown";
    ShowWindow(window_, SW_SHOW);
    ASSERT_EQ(received.size(), 1u) << "the size message arrives inside ShowWindow";
    EXPECT_EQ(received[0].message, WM_SIZE);
    EXPECT_EQ(LOWORD(received[0].lParam), 480);
    EXPECT_EQ(HIWORD(received[0].lParam), 240);
    ShowWindow(window_, SW_SHOW);
    EXPECT_EQ(received.size(), 1u) << "only the first showing sends it";
}

TEST_F(WindowLayer, AltF4BecomesACloseThroughTheDefaultProcedure) {
    constexpr LPARAM altHeld = LPARAM{1} << 29;
    constexpr WPARAM f4 = VK_F1 + 3;
    DefWindowProcA(window_, WM_SYSKEYDOWN, f4, 1 | altHeld);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, WM_SYSCOMMAND);
    EXPECT_EQ(received[0].wParam, 0xF060u);  // close command
    EXPECT_EQ(received[1].message, WM_CLOSE);

    received.clear();
    DefWindowProcA(window_, WM_SYSKEYDOWN, f4, 1);  // F4 without Alt's context bit
    DefWindowProcA(window_, WM_KEYDOWN, f4, 1);
    DefWindowProcA(window_, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    EXPECT_TRUE(received.empty()) << "first message: " << (received.empty() ? 0 : received[0].message);
}

TEST_F(WindowLayer, QueueHandsOutEventsOneAtATimeAddressedToTheirWindow) {
    ShowWindow(window_, SW_SHOW);
    // What the server reports about the mapping is let through first.
    MSG message;
    SDL_Delay(100);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    // Events are pushed as the video driver would queue them.
    const WindowObject* record = findWindow(window_);
    ASSERT_NE(record, nullptr);
    SDL_Event unknownWindow{};
    unknownWindow.type = SDL_KEYDOWN;
    unknownWindow.key.windowID = 9999;
    unknownWindow.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    unknownWindow.key.keysym.sym = SDLK_ESCAPE;
    SDL_Event escape = unknownWindow;
    escape.key.windowID = record->sdlWindowId;
    SDL_Event noCounterpart{};
    noCounterpart.type = SDL_WINDOWEVENT;
    noCounterpart.window.windowID = escape.key.windowID;
    noCounterpart.window.event = SDL_WINDOWEVENT_MOVED;
    SDL_Event close = noCounterpart;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    for (SDL_Event* event : {&unknownWindow, &escape, &noCounterpart, &close}) {
        ASSERT_EQ(SDL_PushEvent(event), 1) << SDL_GetError();
    }

    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_KEYDOWN) << "a look leaves the message in the queue";
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, window_);
    EXPECT_EQ(message.message, WM_KEYDOWN);
    EXPECT_EQ(message.wParam, VK_ESCAPE);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, window_);
    EXPECT_EQ(message.message, WM_CLOSE) << "events with no counterpart are passed over in the same call";
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

    received.clear();
    message = {window_, WM_KEYDOWN, '3', 1, 0, {0, 0}};
    DispatchMessageA(&message);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, WM_KEYDOWN);
    EXPECT_EQ(received[0].wParam, WPARAM{'3'});
}

TEST_F(WindowLayer, DeviceContextAndGlContextDrawIntoTheWindow) {
    EXPECT_EQ(GetDC(nullptr), nullptr);
    HDC dc = GetDC(window_);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDC(window_), dc) << "the window keeps one device context";

    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 24;
    EXPECT_EQ(wglCreateContext(dc), nullptr) << "no context before a pixel format is set";
    const int format = ChoosePixelFormat(dc, &descriptor);
    ASSERT_NE(format, 0);
    ASSERT_TRUE(SetPixelFormat(dc, format, &descriptor));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));

    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    GLint doubleBuffered = 0;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);
    // Immediate mode must work: the context is a compatibility one.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBegin(GL_TRIANGLES);
    glVertex2f(-1, -1);
    glVertex2f(3, -1);
    glVertex2f(-1, 3);
    glEnd();
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "GL " << version;
    EXPECT_EQ(pixel[0], 255);
    EXPECT_TRUE(SwapBuffers(dc));

    DestroyWindow(window_);
    EXPECT_EQ(GetDC(window_), nullptr) << "a destroyed window has no device context";
    EXPECT_FALSE(SwapBuffers(dc));
    window_ = nullptr;
}

TEST(WindowLayerScreen, FullScreenMetricsAreTheScreenSize) {
    ASSERT_TRUE(environment->display->ok()) << environment->display->error();
    // No window manager: the usable area is the whole screen.
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), environment->display->width());
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), environment->display->height());
}

// With no display the layer refuses rather than falling back to an invisible
// window. Run in a fresh process (a death test re-runs this binary) so that no
// earlier test has opened the display.
void tryWithoutDisplay() {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    const WNDCLASSA windowClass = classNamed("headless");
    const bool registered = RegisterClassA(&windowClass) != 0;
    const int width = GetSystemMetrics(SM_CXFULLSCREEN);
    HWND window = CreateWindowExA(0, "headless", "headless", 0, 0, 0, 480, 240, nullptr, nullptr, nullptr, nullptr);
    const int answer = MessageBoxA(nullptr, "Could not create window", "Error", MB_OK);
    std::exit(registered && width == 0 && window == nullptr && answer == IDOK ? 0 : 1);
}

TEST(WindowLayerHeadless, NoDisplayMeansNoWindowAndABoxOnStderr) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(tryWithoutDisplay(), testing::ExitedWithCode(0), "^Error: Could not create window\n$");
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    environment = new DisplayEnvironment;
    testing::AddGlobalTestEnvironment(environment);
    return RUN_ALL_TESTS();
}

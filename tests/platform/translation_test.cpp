// SDL events and keys as the window messages the program receives.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/sdl/key_codes.h"
#include "platform/sdl/message_translation.h"

namespace {

// ---------------------------------------------------------------- keys

struct KeyCase {
    const char* name;
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    WPARAM expected;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << c.name << " (scancode " << c.scancode << ", keycode 0x" << std::hex << c.keycode << ")";
}

class KeyTable : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyTable, GivesTheVirtualKey) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(virtualKeyFor(c.scancode, c.keycode), c.expected) << c;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyTable,
    testing::Values(KeyCase{"Escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0x1B},
                    KeyCase{"MainRow0", SDL_SCANCODE_0, SDLK_0, 0x30},
                    KeyCase{"MainRow1", SDL_SCANCODE_1, SDLK_1, 0x31},
                    KeyCase{"MainRow9", SDL_SCANCODE_9, SDLK_9, 0x39},
                    // An AZERTY keyboard puts '&' on the key of '1': still track key 1.
                    KeyCase{"MainRow1OnAzerty", SDL_SCANCODE_1, SDLK_AMPERSAND, 0x31},
                    KeyCase{"Keypad0", SDL_SCANCODE_KP_0, SDLK_KP_0, 0x60},
                    KeyCase{"Keypad1", SDL_SCANCODE_KP_1, SDLK_KP_1, 0x61},
                    KeyCase{"Keypad9", SDL_SCANCODE_KP_9, SDLK_KP_9, 0x69},
                    KeyCase{"LetterA", SDL_SCANCODE_A, SDLK_a, 0x41},
                    KeyCase{"LetterZ", SDL_SCANCODE_Z, SDLK_z, 0x5A},
                    // Letters follow the layout: AZERTY's 'a' sits where QWERTY has 'q'.
                    KeyCase{"LetterByLayout", SDL_SCANCODE_Q, SDLK_a, 0x41},
                    KeyCase{"LetterWithNoLatinKeycode", SDL_SCANCODE_F, 0x430, 0x46},
                    KeyCase{"Space", SDL_SCANCODE_SPACE, SDLK_SPACE, 0x20},
                    KeyCase{"Return", SDL_SCANCODE_RETURN, SDLK_RETURN, 0x0D},
                    KeyCase{"KeypadEnter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0x0D},
                    KeyCase{"Left", SDL_SCANCODE_LEFT, SDLK_LEFT, 0x25},
                    KeyCase{"Up", SDL_SCANCODE_UP, SDLK_UP, 0x26},
                    KeyCase{"Right", SDL_SCANCODE_RIGHT, SDLK_RIGHT, 0x27},
                    KeyCase{"Down", SDL_SCANCODE_DOWN, SDLK_DOWN, 0x28},
                    KeyCase{"F1", SDL_SCANCODE_F1, SDLK_F1, 0x70},
                    KeyCase{"F4", SDL_SCANCODE_F4, SDLK_F4, 0x73},
                    KeyCase{"F12", SDL_SCANCODE_F12, SDLK_F12, 0x7B},
                    KeyCase{"LeftAlt", SDL_SCANCODE_LALT, SDLK_LALT, 0x12},
                    KeyCase{"RightShift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 0x10},
                    KeyCase{"NoCounterpart", SDL_SCANCODE_MUTE, SDLK_MUTE, 0}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- events

constexpr int clientWidth = 480;
constexpr int clientHeight = 240;

SDL_Event keyEvent(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = keycode;
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event motionEvent(Sint32 x, Sint32 y) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

SDL_Event buttonEvent(Uint32 type, Uint8 button, Sint32 x, Sint32 y) {
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event wheelEvent(Sint32 dx, Sint32 dy, Uint32 direction, Sint32 x, Sint32 y) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.x = dx;
    event.wheel.y = dy;
    event.wheel.direction = direction;
    event.wheel.mouseX = x;
    event.wheel.mouseY = y;
    return event;
}

SDL_Event windowEvent(Uint8 which, Sint32 data1 = 0, Sint32 data2 = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = which;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event plainEvent(Uint32 type) {
    SDL_Event event{};
    event.type = type;
    return event;
}

constexpr LPARAM altBit = LPARAM{1} << 29;
constexpr LPARAM previousBit = LPARAM{1} << 30;
constexpr LPARAM releasedBit = LPARAM{1} << 31;
constexpr UINT none = 0;  // the event has no counterpart

struct EventCase {
    const char* name;
    SDL_Event event;
    UINT message;
    WPARAM wParam;
    // Key messages are compared on the bits the layer promises (Alt, repeat,
    // release); pointer and size messages on the whole lParam.
    LPARAM lParam;
    LPARAM lParamMask;
};

std::ostream& operator<<(std::ostream& out, const EventCase& c) {
    return out << c.name;
}

std::string describe(bool produced, const TranslatedMessage& m) {
    if (!produced) {
        return "no message";
    }
    char text[96];
    std::snprintf(text, sizeof text, "message 0x%X wParam 0x%lX lParam 0x%lX", m.message,
                  static_cast<unsigned long>(m.wParam), static_cast<unsigned long>(m.lParam));
    return text;
}

class EventTranslation : public testing::TestWithParam<EventCase> {};

TEST_P(EventTranslation, GivesTheMessage) {
    const EventCase& c = GetParam();
    TranslatedMessage actual{0xDEAD, 0xDEAD, 0xDEAD};
    const bool produced = translateEvent(c.event, clientWidth, clientHeight, &actual);
    TranslatedMessage expected{c.message, c.wParam, c.lParam};
    const std::string wanted = describe(c.message != none, expected);
    const std::string got = describe(produced, actual);
    ASSERT_EQ(produced, c.message != none) << c.name << ": expected " << wanted << ", got " << got;
    if (!produced) {
        return;
    }
    EXPECT_EQ(actual.message, c.message) << c.name << ": expected " << wanted << ", got " << got;
    EXPECT_EQ(actual.wParam, c.wParam) << c.name << ": expected " << wanted << ", got " << got;
    EXPECT_EQ(actual.lParam & c.lParamMask, c.lParam & c.lParamMask)
        << c.name << ": expected " << wanted << ", got " << got;
}

constexpr LPARAM keyBits = altBit | previousBit | releasedBit;
constexpr LPARAM allBits = ~LPARAM{0};

INSTANTIATE_TEST_SUITE_P(
    Events, EventTranslation,
    testing::Values(
        EventCase{"EscapeDown", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), WM_KEYDOWN, 0x1B, 0, keyBits},
        EventCase{"DigitDown", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_3, SDLK_3), WM_KEYDOWN, 0x33, 0, keyBits},
        // Each auto-repeat is one more key-down, marked as already down.
        EventCase{"DigitAutoRepeat", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_3, SDLK_3, KMOD_NONE, 1), WM_KEYDOWN, 0x33,
                  previousBit, keyBits},
        EventCase{"KeypadDigitDown", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_3, SDLK_KP_3, KMOD_NUM), WM_KEYDOWN, 0x63, 0,
                  keyBits},
        EventCase{"DigitUp", keyEvent(SDL_KEYUP, SDL_SCANCODE_3, SDLK_3), WM_KEYUP, 0x33, previousBit | releasedBit,
                  keyBits},
        EventCase{"ShiftedDigitIsStillKeyDown", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_3, SDLK_3, KMOD_LSHIFT), WM_KEYDOWN,
                  0x33, 0, keyBits},
        EventCase{"AltDigitIsSystemKey", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_3, SDLK_3, KMOD_LALT), WM_SYSKEYDOWN, 0x33,
                  altBit, keyBits},
        EventCase{"AltF4Down", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4, KMOD_RALT), WM_SYSKEYDOWN, 0x73, altBit,
                  keyBits},
        EventCase{"AltF4Up", keyEvent(SDL_KEYUP, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT), 0x0105, 0x73,
                  altBit | previousBit | releasedBit, keyBits},
        EventCase{"AltKeyAlone", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT), WM_SYSKEYDOWN, 0x12, altBit,
                  keyBits},
        EventCase{"F4WithoutAlt", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4), WM_KEYDOWN, 0x73, 0, keyBits},
        EventCase{"KeyWithNoCode", keyEvent(SDL_KEYDOWN, SDL_SCANCODE_MUTE, SDLK_MUTE), none, 0, 0, 0},
        EventCase{"MoveInside", motionEvent(100, 50), WM_MOUSEMOVE, 0, 0x00320064, allBits},
        EventCase{"MoveToLastPixel", motionEvent(479, 239), WM_MOUSEMOVE, 0, 0x00EF01DF, allBits},
        EventCase{"MoveOriginPixel", motionEvent(0, 0), WM_MOUSEMOVE, 0, 0, allBits},
        // Outside the client area the window hears nothing of the pointer (no capture).
        EventCase{"MoveRightOfClient", motionEvent(480, 10), none, 0, 0, 0},
        EventCase{"MoveBelowClient", motionEvent(10, 240), none, 0, 0, 0},
        EventCase{"MoveLeftOfClient", motionEvent(-1, 10), none, 0, 0, 0},
        EventCase{"LeftDown", buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 240, 120), WM_LBUTTONDOWN, 0,
                  0x007800F0, allBits},
        EventCase{"LeftUp", buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 2), WM_LBUTTONUP, 0, 0x00020001,
                  allBits},
        EventCase{"LeftUpOutside", buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 600, 2), none, 0, 0, 0},
        EventCase{"RightDown", buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 3, 4), WM_RBUTTONDOWN, 0, 0x00040003,
                  allBits},
        EventCase{"RightUp", buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 3, 4), WM_RBUTTONUP, 0, 0x00040003,
                  allBits},
        EventCase{"MiddleDown", buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 6), WM_MBUTTONDOWN, 0,
                  0x00060005, allBits},
        EventCase{"MiddleUp", buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 5, 6), WM_MBUTTONUP, 0, 0x00060005,
                  allBits},
        EventCase{"SideButton", buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 5, 6), none, 0, 0, 0},
        EventCase{"WheelAway", wheelEvent(0, 1, SDL_MOUSEWHEEL_NORMAL, 10, 20), WM_MOUSEWHEEL, WPARAM{120} << 16,
                  0x0014000A, allBits},
        EventCase{"WheelTowards", wheelEvent(0, -2, SDL_MOUSEWHEEL_NORMAL, 10, 20), WM_MOUSEWHEEL,
                  WPARAM{0xFF10} << 16, 0x0014000A, allBits},
        EventCase{"WheelFlipped", wheelEvent(0, 1, SDL_MOUSEWHEEL_FLIPPED, 10, 20), WM_MOUSEWHEEL,
                  WPARAM{0xFF88} << 16, 0x0014000A, allBits},
        EventCase{"WheelSideways", wheelEvent(1, 0, SDL_MOUSEWHEEL_NORMAL, 10, 20), none, 0, 0, 0},
        EventCase{"SizeChanged", windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 475, 230), WM_SIZE, 0, 0x00E601DB, allBits},
        EventCase{"Resized", windowEvent(SDL_WINDOWEVENT_RESIZED, 640, 480), WM_SIZE, 0, 0x01E00280, allBits},
        EventCase{"CloseBox", windowEvent(SDL_WINDOWEVENT_CLOSE), WM_CLOSE, 0, 0, allBits},
        EventCase{"Quit", plainEvent(SDL_QUIT), WM_CLOSE, 0, 0, allBits},
        EventCase{"Shown", windowEvent(SDL_WINDOWEVENT_SHOWN), none, 0, 0, 0},
        EventCase{"FocusGained", windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), none, 0, 0, 0},
        EventCase{"TextInput", plainEvent(SDL_TEXTINPUT), none, 0, 0, 0}),
    [](const testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- pixel formats

PIXELFORMATDESCRIPTOR programDescriptor() {
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 24;
    return descriptor;
}

TEST(PixelFormat, FitsWhatTheProgramAsksFor) {
    const PIXELFORMATDESCRIPTOR descriptor = programDescriptor();
    EXPECT_TRUE(pixelFormatFits(&descriptor));
}

TEST(PixelFormat, RefusesWhatTheLayerCannotGive) {
    struct Case {
        const char* name;
        DWORD clearedFlag;
        BYTE pixelType;
    };
    const Case cases[] = {
        {"single-buffered", PFD_DOUBLEBUFFER, PFD_TYPE_RGBA},
        {"not OpenGL", PFD_SUPPORT_OPENGL, PFD_TYPE_RGBA},
        {"not drawn to a window", PFD_DRAW_TO_WINDOW, PFD_TYPE_RGBA},
        {"colour-index pixels", 0, 1},
    };
    for (const Case& c : cases) {
        PIXELFORMATDESCRIPTOR descriptor = programDescriptor();
        descriptor.dwFlags &= ~c.clearedFlag;
        descriptor.iPixelType = c.pixelType;
        EXPECT_FALSE(pixelFormatFits(&descriptor)) << c.name;
    }
    EXPECT_FALSE(pixelFormatFits(nullptr)) << "no descriptor";
}

}  // namespace

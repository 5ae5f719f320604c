// End-to-end test harness: runs the real program on a private X server and
// drives it the way a user and a window manager would.
#pragma once

#include <X11/Xlib.h>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// The program under test, set from the command line (--player PATH) by the test main.
const std::string& playerPath();
void setPlayerPath(std::string path);

// A file in the test's artefact folder in the build tree (created on demand).
std::string artifactPath(const std::string& name);

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& colour);

// A screenshot: width x height pixels, rows top first, 3 bytes per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    Rgb at(int x, int y) const;
};
bool savePng(const RgbImage& image, const std::string& path);

// A private Xvfb server (1024 x 768 x 24 by default) on a free display, with an
// Xlib connection to it. Ends the server when destroyed.
class VirtualDisplay {
public:
    explicit VirtualDisplay(int width = 1024, int height = 768);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ok() const { return connection_ != nullptr; }
    const std::string& error() const { return error_; }
    const std::string& name() const { return name_; }  // e.g. ":3"
    Display* connection() const { return connection_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The top-level window whose title is exactly `title`, waiting for it to be mapped.
    std::optional<Window> findWindow(const std::string& title, std::chrono::milliseconds timeout) const;
    // Titles of the mapped top-level windows, for diagnostics (e.g. a message box left open).
    std::vector<std::string> visibleWindowTitles() const;
    // The client area in screen coordinates.
    Rect clientGeometry(Window window) const;
    RgbImage screenshot(Window window) const;

    // Input through xdotool, aimed at the window.
    // Presses and releases, e.g. "Escape", "alt+F4", "3"; false when the press could not be sent.
    bool key(Window window, const std::string& keys) const;
    bool moveMouse(Window window, int x, int y) const;       // client coordinates
    bool click(Window window, int button = 1) const;
    bool drag(Window window, int fromX, int fromY, int toX, int toY) const;
    // What a window manager's close box sends: WM_PROTOCOLS / WM_DELETE_WINDOW.
    bool sendCloseRequest(Window window) const;

private:
    bool pointerIsAt(Window window, int x, int y) const;
    bool xdotool(const std::vector<std::string>& arguments) const;

    pid_t server_ = -1;
    Display* connection_ = nullptr;
    std::string name_;
    std::string error_;
    int width_;
    int height_;
};

struct ExitStatus {
    bool finished = false;  // false: still running when the wait ran out
    bool signalled = false;
    int code = -1;          // exit code, or the signal number when signalled
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

// Environment changes for a launch: a value sets a variable, nullopt removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// The program running in a child process, its stdout and stderr kept in an
// artefact file. Killed when destroyed if it is still running.
class PlayerProcess {
public:
    PlayerProcess(const std::string& logName, const EnvironmentChanges& changes);
    ~PlayerProcess();
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    bool started() const { return pid_ > 0; }
    ExitStatus waitForExit(std::chrono::milliseconds timeout);
    bool running();
    std::string output() const;  // everything written to stderr and stdout so far

private:
    pid_t pid_ = -1;
    std::string logPath_;
    std::optional<ExitStatus> status_;
};

// The usual environment for the program on `display`: no sound device needed
// (SDL_AUDIODRIVER=dummy), SDL left to pick its own video driver. To keep the
// sound, change it: env["SDL_AUDIODRIVER"] = "disk"; env["SDL_DISKAUDIOFILE"] = artifactPath("sound.raw").
EnvironmentChanges playerEnvironment(const VirtualDisplay& display);

}  // namespace e2e

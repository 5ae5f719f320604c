#include "tests/e2e/harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

std::string& storedPlayerPath() {
    static std::string path;
    return path;
}

// Windows come and go while the tree is walked; their errors are expected.
int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

// In a child just forked: end with the test process, whatever kills it.
void dieWithParent(int signal) {
    prctl(PR_SET_PDEATHSIG, signal);
}

void applyEnvironment(const EnvironmentChanges& changes) {
    for (const auto& [name, value] : changes) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
}

std::vector<char*> argvOf(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Runs a program to its end with its output discarded; its exit code, or -1.
int runProgram(std::vector<std::string> arguments, const EnvironmentChanges& changes) {
    std::vector<char*> argv = argvOf(arguments);
    const pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        dieWithParent(SIGKILL);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        applyEnvironment(changes);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The window's title: _NET_WM_NAME (UTF-8) where set, else WM_NAME.
std::string windowTitle(Display* connection, Window window) {
    const Atom netName = XInternAtom(connection, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(connection, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(connection, window, netName, 0, 1024, False, utf8, &type, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr) {
        std::string title(reinterpret_cast<const char*>(data), count);
        XFree(data);
        if (type == utf8) {
            return title;
        }
    }
    char* name = nullptr;
    if (XFetchName(connection, window, &name) == 0 || name == nullptr) {
        return {};
    }
    std::string title = name;
    XFree(name);
    return title;
}

std::optional<Window> searchTree(Display* connection, Window parent, const std::string& title) {
    Window root = 0;
    Window parentOfParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection, parent, &root, &parentOfParent, &children, &count) == 0) {
        return std::nullopt;
    }
    std::optional<Window> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (windowTitle(connection, children[i]) == title &&
            XGetWindowAttributes(connection, children[i], &attributes) != 0 && attributes.map_state == IsViewable) {
            found = children[i];
        } else {
            found = searchTree(connection, children[i], title);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

}  // namespace

const std::string& playerPath() {
    return storedPlayerPath();
}

void setPlayerPath(std::string path) {
    storedPlayerPath() = std::move(path);
}

std::string artifactPath(const std::string& name) {
    const std::filesystem::path folder = E2E_ARTIFACT_DIR;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return (folder / name).string();
}

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "rgb(" << int{colour.r} << ", " << int{colour.g} << ", " << int{colour.b} << ")";
}

Rgb RgbImage::at(int x, int y) const {
    const std::size_t offset = (static_cast<std::size_t>(y) * width + x) * 3;
    return {pixels[offset], pixels[offset + 1], pixels[offset + 2]};
}

bool savePng(const RgbImage& image, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.height; ++y) {
            png_write_row(png, image.pixels.data() + static_cast<std::size_t>(y) * image.width * 3);
        }
        png_write_end(png, info);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return written;
}

VirtualDisplay::VirtualDisplay(int width, int height) : width_(width), height_(height) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        error_ = "pipe failed";
        return;
    }
    std::vector<std::string> arguments = {"Xvfb", "-displayfd", std::to_string(pipeEnds[1]), "-screen", "0",
                                          std::to_string(width) + "x" + std::to_string(height) + "x24",
                                          "-nolisten", "tcp", "-noreset"};
    std::vector<char*> argv = argvOf(arguments);
    server_ = fork();
    if (server_ == 0) {
        dieWithParent(SIGTERM);
        close(pipeEnds[0]);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    if (server_ < 0) {
        close(pipeEnds[0]);
        error_ = "fork failed";
        return;
    }
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd reader{pipeEnds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&reader, 1, 100) > 0) {
            char buffer[32];
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            number.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(pipeEnds[0]);
    if (number.find('\n') == std::string::npos) {
        error_ = "Xvfb did not start (is it installed?)";
        return;
    }
    name_ = ":" + number.substr(0, number.find('\n'));
    XSetErrorHandler(ignoreXErrors);
    connection_ = XOpenDisplay(name_.c_str());
    if (connection_ == nullptr) {
        error_ = "cannot connect to Xvfb on " + name_;
    }
}

VirtualDisplay::~VirtualDisplay() {
    if (connection_ != nullptr) {
        XCloseDisplay(connection_);
    }
    if (server_ > 0) {
        kill(server_, SIGTERM);
        int status = 0;
        waitpid(server_, &status, 0);
    }
}

std::optional<Window> VirtualDisplay::findWindow(const std::string& title, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        if (auto found = searchTree(connection_, DefaultRootWindow(connection_), title)) {
            return found;
        }
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::vector<std::string> VirtualDisplay::visibleWindowTitles() const {
    std::vector<std::string> titles;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection_, DefaultRootWindow(connection_), &root, &parent, &children, &count) == 0) {
        return titles;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(connection_, children[i], &attributes) != 0 && attributes.map_state == IsViewable) {
            titles.push_back(windowTitle(connection_, children[i]));
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return titles;
}

Rect VirtualDisplay::clientGeometry(Window window) const {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(connection_, window, &attributes) == 0) {
        return {};
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(connection_, window, DefaultRootWindow(connection_), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

RgbImage VirtualDisplay::screenshot(Window window) const {
    const Rect area = clientGeometry(window);
    RgbImage image;
    if (area.width <= 0 || area.height <= 0) {
        return image;
    }
    XImage* shot = XGetImage(connection_, window, 0, 0, area.width, area.height, AllPlanes, ZPixmap);
    if (shot == nullptr) {
        return image;
    }
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        const unsigned long value = (pixel >> shift) & mask;
        return static_cast<std::uint8_t>(mask == 0 ? 0 : value * 255 / mask);
    };
    image.width = area.width;
    image.height = area.height;
    image.pixels.resize(static_cast<std::size_t>(area.width) * area.height * 3);
    std::size_t offset = 0;
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            image.pixels[offset++] = channel(pixel, shot->red_mask);
            image.pixels[offset++] = channel(pixel, shot->green_mask);
            image.pixels[offset++] = channel(pixel, shot->blue_mask);
        }
    }
    XDestroyImage(shot);
    return image;
}

bool VirtualDisplay::xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = {"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProgram(command, {{"DISPLAY", name_}}) == 0;
}

bool VirtualDisplay::key(Window window, const std::string& keys) const {
    // Press and release apart: a key that ends the program takes its window
    // with it, and xdotool then fails on the release, which is no failure here.
    const std::string id = std::to_string(window);
    if (!xdotool({"keydown", "--window", id, keys})) {
        return false;
    }
    xdotool({"keyup", "--window", id, keys});
    return true;
}

bool VirtualDisplay::pointerIsAt(Window window, int x, int y) const {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    if (!XQueryPointer(connection_, window, &root, &child, &rootX, &rootY, &windowX, &windowY, &buttons)) {
        return false;
    }
    return windowX == x && windowY == y;
}

bool VirtualDisplay::moveMouse(Window window, int x, int y) const {
    // xdotool's --sync waits for the pointer to move, so it would hang when it is there already.
    if (pointerIsAt(window, x, y)) {
        return true;
    }
    return xdotool({"mousemove", "--sync", "--window", std::to_string(window), std::to_string(x), std::to_string(y)});
}

bool VirtualDisplay::click(Window window, int button) const {
    return xdotool({"click", "--window", std::to_string(window), std::to_string(button)});
}

bool VirtualDisplay::drag(Window window, int fromX, int fromY, int toX, int toY) const {
    const std::string id = std::to_string(window);
    if (!moveMouse(window, fromX, fromY)) {
        return false;
    }
    return xdotool({"mousedown", "--window", id, "1",
                    "mousemove", "--sync", "--window", id, std::to_string(toX), std::to_string(toY),
                    "mouseup", "--window", id, "1"});
}

bool VirtualDisplay::sendCloseRequest(Window window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(connection_, window, False, NoEventMask, &event);
    XSync(connection_, False);
    return sent != 0;
}

std::ostream& operator<<(std::ostream& out, const ExitStatus& status) {
    if (!status.finished) {
        return out << "still running";
    }
    if (status.signalled) {
        return out << "killed by signal " << status.code;
    }
    return out << "exit code " << status.code;
}

PlayerProcess::PlayerProcess(const std::string& logName, const EnvironmentChanges& changes)
    : logPath_(artifactPath(logName + ".log")) {
    std::vector<std::string> arguments = {playerPath()};
    std::vector<char*> argv = argvOf(arguments);
    pid_ = fork();
    if (pid_ == 0) {
        dieWithParent(SIGKILL);
        const int log = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        applyEnvironment(changes);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

PlayerProcess::~PlayerProcess() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

ExitStatus PlayerProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (status_) {
        return *status_;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        int status = 0;
        const pid_t result = waitpid(pid_, &status, WNOHANG);
        if (result == pid_) {
            ExitStatus finished;
            finished.finished = true;
            finished.signalled = WIFSIGNALED(status);
            finished.code = finished.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
            status_ = finished;
            return finished;
        }
        if (result < 0 || std::chrono::steady_clock::now() >= deadline) {
            return {};
        }
        std::this_thread::sleep_for(5ms);
    }
}

bool PlayerProcess::running() {
    return !waitForExit(0ms).finished;
}

std::string PlayerProcess::output() const {
    std::ifstream file(logPath_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

EnvironmentChanges playerEnvironment(const VirtualDisplay& display) {
    return {{"DISPLAY", display.name()},
            {"SDL_VIDEODRIVER", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"SDL_AUDIODRIVER", "dummy"}};
}

}  // namespace e2e

// A private Xvfb server on one of the displays :60 to :69 set aside for the
// font tests, started for the life of the object. DISPLAY points at it while it
// runs. Several test processes may run at once: a display that is taken makes
// Xvfb exit at once, and the next number is tried.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

class PrivateDisplay {
public:
    PrivateDisplay() {
        for (int number = 60; number <= 69 && server_ <= 0; ++number) start(number);
    }
    ~PrivateDisplay() {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            int status = 0;
            waitpid(server_, &status, 0);
        }
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return server_ > 0; }
    const std::string& name() const { return name_; }

private:
    void start(int number) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        const std::string display = ":" + std::to_string(number);
        const std::string fd = std::to_string(pipeEnds[1]);
        const pid_t child = fork();
        if (child == 0) {
            // A test that crashes must not leave its server holding the display.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(pipeEnds[0]);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
            execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        if (child < 0) {
            close(pipeEnds[0]);
            return;
        }
        // Xvfb writes the display number once it accepts connections, and
        // closes the pipe without a word when it gives up.
        std::string said;
        pollfd reader{pipeEnds[0], POLLIN, 0};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (said.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            if (poll(&reader, 1, 100) <= 0) continue;
            char buffer[16];
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got <= 0) break;
            said.append(buffer, std::size_t(got));
        }
        close(pipeEnds[0]);
        if (said.find('\n') == std::string::npos) {
            kill(child, SIGTERM);
            int status = 0;
            waitpid(child, &status, 0);
            return;
        }
        server_ = child;
        name_ = display;
        setenv("DISPLAY", name_.c_str(), 1);
    }

    pid_t server_ = -1;
    std::string name_;
};

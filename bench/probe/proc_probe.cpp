// Starts a program and watches it from outside, without touching it.
//
//   proc_probe startup SHIM -- PROGRAM [ARGS...]
//     Preloads SHIM (first_swap_shim.so), which ends the program at its first
//     presented frame; prints startup_ms, from just before the program is
//     started to the return of that first swap (both CLOCK_MONOTONIC).
//
//   proc_probe run [--cpu-from S] [--cpu-to S] [--hwm-at S] [--watch PID] -- PROGRAM [ARGS...]
//     Runs the program, reads its whole-process CPU time (user + system, all
//     threads, /proc/PID/stat) at --cpu-from and --cpu-to seconds after the
//     start and its peak resident set (VmHWM, /proc/PID/status) at --hwm-at,
//     then ends it with SIGTERM. Prints cpu_per_s and hwm_kb; with --watch,
//     also the CPU per second of that other process (the X server) over the
//     same stretch, as watch_cpu_per_s.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void sleepUntil(long long deadlineNs) {
    timespec at{static_cast<time_t>(deadlineNs / 1000000000LL), static_cast<long>(deadlineNs % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

// User plus system time of all threads of the process, in seconds; negative
// when the process is gone.
double cpuSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) return -1.0;
    // The command name may hold spaces; the fields after it are fixed.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; rest >> field; ++index) {
        if (index == 14) utime = std::stoull(field);
        if (index == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long statusKb(pid_t pid, const char* key) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    std::size_t keyLength = std::strlen(key);
    while (std::getline(file, line))
        if (line.compare(0, keyLength, key) == 0 && line[keyLength] == ':') return std::atol(line.c_str() + keyLength + 1);
    return -1;
}

pid_t launch(char** argv, const std::vector<std::pair<std::string, std::string>>& environment) {
    pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    return pid;
}

// Waits for the child up to timeoutNs; kills it if it does not end. Returns its status or -1.
int waitFor(pid_t pid, long long timeoutNs) {
    long long deadline = monotonicNs() + timeoutNs;
    int status = 0;
    while (monotonicNs() < deadline) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        usleep(1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: proc_probe startup SHIM -- PROGRAM [ARGS...]\n"
                 "       proc_probe run [--cpu-from S] [--cpu-to S] [--hwm-at S] [--watch PID] -- PROGRAM [ARGS...]\n");
    return 2;
}

int startup(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) return usage();
    char pattern[] = "/tmp/first_swap_XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) return 1;
    close(fd);
    long long started = monotonicNs();
    pid_t pid = launch(argv + 4, {{"LD_PRELOAD", argv[2]}, {"FIRST_SWAP_FILE", pattern}});
    int status = waitFor(pid, 30LL * 1000000000LL);
    std::ifstream file(pattern);
    long long swapped = 0;
    file >> swapped;
    unlink(pattern);
    if (status < 0 || swapped <= 0) {
        std::fprintf(stderr, "proc_probe: %s presented no frame\n", argv[4]);
        return 1;
    }
    std::printf("startup_ms=%.3f\n", static_cast<double>(swapped - started) / 1e6);
    return 0;
}

int run(int argc, char** argv) {
    double cpuFrom = 2.0, cpuTo = 32.0, hwmAt = 5.0;
    pid_t watched = 0;
    int at = 2;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; at += 2) {
        if (at + 1 >= argc) return usage();
        std::string option = argv[at];
        double value = std::atof(argv[at + 1]);
        if (option == "--cpu-from") cpuFrom = value;
        else if (option == "--cpu-to") cpuTo = value;
        else if (option == "--hwm-at") hwmAt = value;
        else if (option == "--watch") watched = static_cast<pid_t>(value);
        else return usage();
    }
    if (at + 1 >= argc || !(cpuTo > cpuFrom)) return usage();
    long long started = monotonicNs();
    pid_t pid = launch(argv + at + 1, {});
    struct Event {
        double seconds;
        int kind;  // 0 cpu start, 1 cpu end, 2 peak memory
    };
    std::vector<Event> events = {{cpuFrom, 0}, {cpuTo, 1}, {hwmAt, 2}};
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.seconds < b.seconds; });
    double cpu[2] = {-1, -1}, watchCpu[2] = {-1, -1};
    long long wall[2] = {0, 0};
    long hwm = -1;
    bool alive = true;
    for (const Event& event : events) {
        sleepUntil(started + static_cast<long long>(event.seconds * 1e9));
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            alive = false;
            break;
        }
        if (event.kind == 2) {
            hwm = statusKb(pid, "VmHWM");
        } else {
            wall[event.kind] = monotonicNs();
            cpu[event.kind] = cpuSeconds(pid);
            if (watched != 0) watchCpu[event.kind] = cpuSeconds(watched);
        }
    }
    if (alive) {
        kill(pid, SIGTERM);
        if (waitFor(pid, 3LL * 1000000000LL) < 0) std::fprintf(stderr, "proc_probe: %s needed SIGKILL\n", argv[at + 1]);
    }
    if (!alive || cpu[0] < 0 || cpu[1] < 0) {
        std::fprintf(stderr, "proc_probe: %s ended before the measurement was done\n", argv[at + 1]);
        return 1;
    }
    double seconds = static_cast<double>(wall[1] - wall[0]) / 1e9;
    std::printf("cpu_per_s=%.5f\nhwm_kb=%ld\n", (cpu[1] - cpu[0]) / seconds, hwm);
    if (watched != 0) std::printf("watch_cpu_per_s=%.5f\n", (watchCpu[1] - watchCpu[0]) / seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    if (std::strcmp(argv[1], "startup") == 0) return startup(argc, argv);
    if (std::strcmp(argv[1], "run") == 0) return run(argc, argv);
    return usage();
}

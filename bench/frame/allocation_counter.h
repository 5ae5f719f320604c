// Counts heap allocations while switched on: every operator new on any thread,
// and every malloc, calloc or realloc called from this executable's own code
// (the program's code is linked in statically; calls from shared libraries
// such as Mesa or SDL are counted apart, and only on the thread that switched
// counting on).
#pragma once

#include <cstdint>

namespace allocation_counter {

struct Counts {
    std::uint64_t operatorNew = 0;     // any thread
    std::uint64_t ownMalloc = 0;       // malloc family called from this executable, any thread
    std::uint64_t libraryMalloc = 0;   // malloc family called from a shared library, counting thread only
};

void start();
Counts stop();

}  // namespace allocation_counter

#include "bench/frame/allocation_counter.h"

#include <link.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::uint64_t> operatorNewCount{0};
std::atomic<std::uint64_t> ownMallocCount{0};
std::uint64_t libraryMallocCount = 0;  // touched only by the counting thread
thread_local bool countingThread = false;
std::uintptr_t ownTextBegin = 0;
std::uintptr_t ownTextEnd = 0;

// The executable is the first object dl_iterate_phdr reports; its executable
// segment bounds the code whose allocations are ours.
int findOwnText(dl_phdr_info* info, std::size_t, void*) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type == PT_LOAD && (header.p_flags & PF_X) != 0) {
            ownTextBegin = info->dlpi_addr + header.p_vaddr;
            ownTextEnd = ownTextBegin + header.p_memsz;
        }
    }
    return 1;
}

void noteMalloc(void* caller) {
    if (!counting.load(std::memory_order_relaxed)) return;
    auto address = reinterpret_cast<std::uintptr_t>(caller);
    if (address >= ownTextBegin && address < ownTextEnd) {
        ownMallocCount.fetch_add(1, std::memory_order_relaxed);
    } else if (countingThread) {
        ++libraryMallocCount;
    }
}

void* countedNew(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) operatorNewCount.fetch_add(1, std::memory_order_relaxed);
    void* pointer = __libc_malloc(size == 0 ? 1 : size);
    if (pointer == nullptr) throw std::bad_alloc();
    return pointer;
}

void* countedAlignedNew(std::size_t size, std::align_val_t alignment) {
    if (counting.load(std::memory_order_relaxed)) operatorNewCount.fetch_add(1, std::memory_order_relaxed);
    void* pointer = __libc_memalign(static_cast<std::size_t>(alignment), size == 0 ? 1 : size);
    if (pointer == nullptr) throw std::bad_alloc();
    return pointer;
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) {
    noteMalloc(__builtin_return_address(0));
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    noteMalloc(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    noteMalloc(__builtin_return_address(0));
    return __libc_realloc(pointer, size);
}
void free(void* pointer) { __libc_free(pointer); }
}

void* operator new(std::size_t size) { return countedNew(size); }
void* operator new[](std::size_t size) { return countedNew(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedNew(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedNew(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) { return countedAlignedNew(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return countedAlignedNew(size, alignment); }
void operator delete(void* pointer) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::align_val_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, std::align_val_t) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::size_t, std::align_val_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, std::size_t, std::align_val_t) noexcept { __libc_free(pointer); }

namespace allocation_counter {

void start() {
    if (ownTextEnd == 0) dl_iterate_phdr(findOwnText, nullptr);
    operatorNewCount = 0;
    ownMallocCount = 0;
    libraryMallocCount = 0;
    countingThread = true;
    counting = true;
}

Counts stop() {
    counting = false;
    countingThread = false;
    return {operatorNewCount.load(), ownMallocCount.load(), libraryMallocCount};
}

}  // namespace allocation_counter

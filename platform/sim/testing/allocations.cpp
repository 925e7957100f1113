#include "allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Linked with -Wl,--wrap=malloc, __real_malloc is the C library's malloc and
// every malloc of this project's code goes through __wrap_malloc; otherwise
// __real_malloc stays null and only operator new is counted.
extern "C" void* __real_malloc(size_t size) __attribute__((weak));

namespace {

std::atomic<long> counted{0};

void* allocate(size_t size) {
    ++counted;
    if (size == 0) size = 1;
    return __real_malloc != nullptr ? __real_malloc(size) : std::malloc(size);
}

}  // namespace

long heapAllocations() { return counted; }

extern "C" void* __wrap_malloc(size_t size) { return allocate(size); }

void* operator new(size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

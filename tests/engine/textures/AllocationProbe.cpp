#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_largest{0};

void* track(std::size_t n) {
    std::size_t seen = g_largest.load();
    while (n > seen && !g_largest.compare_exchange_weak(seen, n)) {
    }
    return std::malloc(n ? n : 1);
}
}  // namespace

namespace allocprobe {
void reset() { g_largest = 0; }
std::size_t largest() { return g_largest; }
}  // namespace allocprobe

// Pixel buffers are arrays, so only the array forms need replacing.
void* operator new[](std::size_t n) {
    if (void* p = track(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return track(n); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

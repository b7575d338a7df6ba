#pragma once
// Counts heap allocations made by the process (global operator new), so that
// benchmarks can report allocations per iteration.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace orvbench {
inline std::atomic<long long> g_allocs{0};
}

void *operator new(std::size_t n)
{
    orvbench::g_allocs.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

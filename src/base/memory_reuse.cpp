#include "base/memory_reuse.hpp"

#include <malloc.h>
#include <sys/mman.h>

#include <climits>
#include <cstdint>

namespace pedlik {

namespace {

// The usual size of a huge page on the machines pedlik runs on.
constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;

}  // namespace

void keepReleasedMemoryForReuse() {
    // No block gets its own mapping, and the heap's top is never given back.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

void adviseHugePages(void* data, std::size_t bytes) {
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(hugePage - 1);
    if (last <= first) return;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace pedlik

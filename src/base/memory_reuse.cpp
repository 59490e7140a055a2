#include "base/memory_reuse.hpp"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace pedlik {

namespace {

// The usual size of a huge page on the machines pedlik runs on.
constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;

constexpr int firstHeapStep = 64 << 20;
// Larger than what the heap holds before main starts, so that it must grow.
constexpr std::size_t heapProbe = std::size_t{1} << 20;

}  // namespace

void keepReleasedMemoryForReuse() {
    // No block gets its own mapping, and the heap's top is never given back.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    // The heap grows in large steps, and its first step asks for huge pages
    // at once: a small problem's whole likelihood then takes hundreds of
    // page faults instead of thousands, which on a virtual machine cost as
    // much as its arithmetic.
    mallopt(M_TOP_PAD, firstHeapStep);
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Volatile, or the compiler drops the pair as having no effect.
    void* volatile probe = std::malloc(heapProbe);
    std::free(probe);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (before + page - 1) & ~(page - 1);
    // Huge pages fill the whole aligned 2 MiB blocks of the range; the
    // kernel takes a range that starts on any page.
    if (after > start) madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);
}

void adviseHugePages(void* data, std::size_t bytes) {
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(hugePage - 1);
    if (last <= first) return;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace pedlik

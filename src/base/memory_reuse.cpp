#include "base/memory_reuse.hpp"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

// The usual size of a huge page on the machines pedlik runs on.
constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;

constexpr int firstHeapStep = 64 << 20;
// The size and alignment of the heaps the allocator maps for the arenas of
// threads other than the first.
constexpr std::uintptr_t threadHeap = std::uintptr_t{64} << 20;
// The worker heaps advised so far, and the blocks that fill their first huge
// pages; kept, never released, for the life of the process.
struct WorkerHeaps {
    std::mutex mutex;
    std::vector<std::uintptr_t> seen;
    std::vector<void*> blocks;
};

WorkerHeaps& workerHeaps() {
    // Never destroyed: a leak checker at exit then still finds the blocks
    // held, as they are.
    static WorkerHeaps* const heaps = allocateOrDie("worker heaps", [] { return new WorkerHeaps; });
    return *heaps;
}

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
    // The heap's growth starts one page below a huge page, so that it does
    // not share a huge page with what the heap held before: a huge page with
    // any page already touched is faulted in page by page. The skipped part
    // is never used.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t before = ((end + page + hugePage - 1) & ~(hugePage - 1)) - page;
    sbrk(static_cast<intptr_t>(before - end));
    // Volatile, or the compiler drops the pair as having no effect.
    void* volatile probe = std::malloc(heapProbe);
    std::free(probe);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (after <= before + page) return;
    // Making the probe wrote the allocator's bookkeeping behind it, before the
    // advice could be given. Everything above the first page is now free
    // space at the heap's top, so its pages are handed back and, advised,
    // come again as huge pages.
    const auto grown = reinterpret_cast<void*>(before + page);
    madvise(grown, after - before - page, MADV_HUGEPAGE);
    madvise(grown, after - before - page, MADV_DONTNEED);
}

void adviseHugePages(void* data, std::size_t bytes) {
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(hugePage - 1);
    if (last <= first) return;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void adviseHugePagesForThisThread() {
    void* volatile probe = std::malloc(1);
    const auto at = reinterpret_cast<std::uintptr_t>(probe);
    std::free(probe);
    const std::uintptr_t heap = at & ~(threadHeap - 1);
    // A heap met before was advised then; threads that start later reuse it.
    WorkerHeaps& heaps = workerHeaps();
    const std::scoped_lock lock(heaps.mutex);
    if (std::find(heaps.seen.begin(), heaps.seen.end(), heap) != heaps.seen.end()) return;
    // Only advice: should the thread share the first heap, the range holds
    // what was advised already, or nothing mapped, which madvise refuses.
    madvise(reinterpret_cast<void*>(heap), threadHeap, MADV_HUGEPAGE);
    // A heap met for the first time was made by this probe: the allocator's
    // records at its start were written before the advice, so the kernel
    // gives its first huge page page by page. A block that is never touched
    // keeps that page for good, and the heap's tables start on the next.
    allocateOrDie("worker heaps", [&] {
        heaps.seen.push_back(heap);
        if (at - heap < hugePage / 2) heaps.blocks.push_back(std::malloc(heap + hugePage - at));
    });
}

}  // namespace pedlik

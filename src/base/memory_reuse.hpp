#pragma once

#include <cstddef>

namespace pedlik {

// Large tables are made and released many times during one likelihood. By
// default every large block is mapped afresh, faulted in and zeroed by the
// kernel page by page, then handed back; that costs as much time as a
// sum-out. This keeps released memory in the process's heap, so the next
// table reuses pages already mapped; and the heap's first 64 MiB ask for
// huge pages. Called once, before any table exists.
void keepReleasedMemoryForReuse();

// Asks for huge pages behind the whole huge pages of [data, data + bytes),
// before anything is written there: a table of hundreds of megabytes then
// takes hundreds of page faults instead of hundreds of thousands, which the
// first elimination of every process would otherwise pay. Only advice: where
// the system gives no huge pages, nothing changes.
void adviseHugePages(void* data, std::size_t bytes);

// Asks for huge pages behind the heap that the calling thread's allocations
// come from, when that is a heap of its own: a worker thread's heap is
// otherwise faulted in page by page, which on a virtual machine cost two
// threads more time than the second one saved on a small problem. Only
// advice, as above.
void adviseHugePagesForThisThread();

}  // namespace pedlik

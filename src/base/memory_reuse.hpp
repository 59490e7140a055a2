#pragma once

namespace pedlik {

// Large tables are made and released many times during one likelihood. By
// default every large block is mapped afresh, faulted in and zeroed by the
// kernel page by page, then handed back; that costs as much time as a
// sum-out. This keeps released memory in the process's heap, so the next
// table reuses pages already mapped. Called once, before any table exists.
void keepReleasedMemoryForReuse();

}  // namespace pedlik

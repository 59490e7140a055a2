#include "base/memory_reuse.hpp"

#include <malloc.h>

#include <climits>

namespace pedlik {

void keepReleasedMemoryForReuse() {
    // No block gets its own mapping, and the heap's top is never given back.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

}  // namespace pedlik

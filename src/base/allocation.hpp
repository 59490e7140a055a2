#pragma once

#include <new>
#include <utility>

#include "base/errors.hpp"

namespace pedlik {

// Runs an allocating step; a failed allocation ends the run with the
// allocation report naming `label`. The only place that catches bad_alloc.
template <typename Allocate>
decltype(auto) allocateOrDie(const char* label, Allocate&& allocate) {
    try {
        return std::forward<Allocate>(allocate)();
    } catch (const std::bad_alloc&) {
        fatalAllocError(label);
    }
}

}  // namespace pedlik

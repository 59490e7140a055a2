#pragma once

#include <memory>
#include <new>
#include <utility>

namespace pedlik {

// A vector allocator that leaves entries made without a value uninitialised,
// so that a table which the code writes in full before reading costs no
// zero-filling pass of its own: on large tables that pass takes a sixth of
// an elimination. Entries made with a value (Table(n, 0.0)) get the value.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

}  // namespace pedlik

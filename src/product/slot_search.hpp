#pragma once

#include <vector>

namespace pedlik {

// Takes the first free slot at or after the search position, wrapping to
// the start of the array when none is free there, so released slots are
// reused in a fixed, predictable order. The slot is marked in use, the
// search position moves just past it and the pool count grows by one.
// Returns null when every slot is in use.
template <typename Slot>
Slot* takeFreeSlot(std::vector<Slot>& slots, int& searchPosition, int& count) {
    const int capacity = static_cast<int>(slots.size());
    auto take = [&](int index) {
        slots[index].inUse = 1;
        searchPosition = index + 1;
        ++count;
        return &slots[index];
    };
    for (int index = searchPosition; index < capacity; ++index) {
        if (slots[index].inUse == 0) return take(index);
    }
    for (int index = 0; index < searchPosition && index < capacity; ++index) {
        if (slots[index].inUse == 0) return take(index);
    }
    return nullptr;
}

}  // namespace pedlik

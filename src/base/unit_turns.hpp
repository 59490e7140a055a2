#pragma once

#include <condition_variable>
#include <mutex>

namespace pedlik {

// Lets the units of a batch take one step each strictly in unit order,
// whatever threads they run on, while the rest of each unit runs side by
// side. Unit k's step waits for unit k - 1's; every unit from `first` on
// must take its turn once, even a unit with nothing to do in it.
class UnitTurns {
public:
    explicit UnitTurns(int first) : next(first) {}

    template <typename Step>
    void take(int unit, Step&& step) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return next == unit; });
        // The turn passes on even when the step throws, so no later unit waits forever.
        const Passing passing{*this};
        step();
    }

private:
    struct Passing {
        UnitTurns& turns;
        ~Passing() {
            ++turns.next;
            turns.changed.notify_all();
        }
    };

    std::mutex mutex;
    std::condition_variable changed;
    int next;
};

}  // namespace pedlik

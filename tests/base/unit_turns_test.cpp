#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/unit_turns.hpp"
#include "base/work_queue.hpp"

namespace pedlik {
namespace {

// Units that reach their step in any order take it in unit order, and a
// step that throws still passes the turn on.
TEST(UnitTurns, StepsRunInUnitOrderWhateverTheThreads) {
    constexpr int count = 8;
    WorkQueue queue(3);
    UnitTurns turns(1);
    std::vector<int> taken;
    EXPECT_THROW(queue.runUnits(count, 3, [&](int unit) {
        if (unit == 0) return;
        // Later units come to their turn first.
        std::this_thread::sleep_for(std::chrono::milliseconds(2 * (count - unit)));
        turns.take(unit, [&] {
            taken.push_back(unit);
            if (unit == 3) throw std::runtime_error("step failed");
        });
    }), std::runtime_error);
    EXPECT_EQ(taken, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

}  // namespace
}  // namespace pedlik

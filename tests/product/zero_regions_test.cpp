// The map of an input's regions of only 0.0, by hand on a small table and against every region's entries looked at
// one by one on large ones, where two threads share the walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/work_queue.hpp"
#include "product/tables.hpp"
#include "product/zero_regions.hpp"

namespace pedlik::testing {
namespace {

TEST(ZeroRegions, MapsTheRegionsOverTheGivenVariables) {
    // A (2 values), B (3), C (2), C fastest.
    std::vector<Variable> variables(3);
    variables[0].valueCount = 2;
    variables[1].valueCount = 3;
    variables[2].valueCount = 2;
    Function input;
    input.vars = {&variables[0], &variables[1], &variables[2]};
    SharedTable table = newTable(12, "input");
    // A = 0: B = 0 and B = 2 hold only 0.0; A = 1: only (B = 1, C = 1) holds a nonzero entry.
    *table = {0, 0, 0.5, 0, 0, 0, 0, 0, 0, 0.25, 0, 0};
    setTable(input, std::move(table), 1);
    // Regions over C: the pairs of entries.
    std::vector<Variable*> overC = {&variables[2]};
    const ZeroRegions byC = zeroRegions(input, overC);
    EXPECT_EQ(byC.zeroCount, 4U);
    for (std::size_t start = 0; start < 12; start += 2) {
        EXPECT_EQ(byC.holdsNonzero(input.probablist.data() + start), start == 2 || start == 8) << start;
    }
    // Regions over B, which is not the last: entries 2 apart.
    std::vector<Variable*> overB = {&variables[1]};
    const ZeroRegions byB = zeroRegions(input, overB);
    EXPECT_EQ(byB.zeroCount, 2U);
    for (std::size_t start : {0, 1, 6, 7}) {
        EXPECT_EQ(byB.holdsNonzero(input.probablist.data() + start), start == 0 || start == 7) << start;
    }
    // A variable the input does not list is left out: regions over A and D are those over A.
    Variable other;
    other.valueCount = 4;
    std::vector<Variable*> overAD = {&variables[0], &other};
    const ZeroRegions byA = zeroRegions(input, overAD);
    EXPECT_EQ(byA.zeroCount, 4U);
    for (std::size_t start = 0; start < 6; ++start) {
        EXPECT_EQ(byA.holdsNonzero(input.probablist.data() + start), start == 2 || start == 3) << start;
    }
}

TEST(ZeroRegions, AgreeWithEveryRegionReadThrough) {
    WorkQueue twoThreads(2);
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937_64 random(seed);
        const auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        // Five to seven variables of 2 to 6 values: tables of up to about 280,000 entries, many shares.
        std::vector<Variable> variables(static_cast<std::size_t>(draw(5, 7)));
        Function input;
        std::size_t size = 1;
        for (Variable& variable : variables) {
            variable.valueCount = draw(2, 6);
            size *= static_cast<std::size_t>(variable.valueCount);
            input.vars.push_back(&variable);
        }
        // Any of the variables, or the last few: regions of entries one after the other.
        std::vector<Variable*> regionVariables;
        const bool last = seed % 2 == 0;
        const std::size_t from = variables.size() - static_cast<std::size_t>(draw(1, 3));
        for (std::size_t v = 0; v < variables.size(); ++v) {
            if (last ? v >= from : draw(0, 2) == 0) regionVariables.push_back(&variables[v]);
        }
        // Sparse: an entry is nonzero with probability 1 in 64, so that many regions hold only 0.0.
        SharedTable table = newTable(size, "input");
        for (double& entry : *table) entry = draw(0, 63) == 0 ? 1.0 : 0.0;
        setTable(input, std::move(table), 1);
        const ZeroRegions map = zeroRegions(input, regionVariables, &twoThreads);
        // Every entry is in the region of the entry with its region variables' digits at 0.
        std::vector<char> nonzero(size, 0), isStart(size, 0);
        for (std::size_t e = 0; e < size; ++e) {
            std::size_t start = e, stride = 1;
            for (std::size_t p = variables.size(); p-- > 0;) {
                const auto count = static_cast<std::size_t>(variables[p].valueCount);
                const bool inRegion = std::find(regionVariables.begin(), regionVariables.end(), &variables[p]) != regionVariables.end();
                if (inRegion) start -= (e / stride % count) * stride;
                stride *= count;
            }
            isStart[start] = 1;
            if (input.probablist[e] != 0.0) nonzero[start] = 1;
        }
        std::size_t zeros = 0;
        for (std::size_t e = 0; e < size; ++e) {
            if (!isStart[e]) continue;
            zeros += nonzero[e] ? 0 : 1;
            ASSERT_EQ(map.holdsNonzero(input.probablist.data() + e), nonzero[e] != 0) << "region at " << e;
        }
        EXPECT_EQ(map.zeroCount, zeros);
    }
}

}  // namespace
}  // namespace pedlik::testing

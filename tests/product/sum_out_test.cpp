// The stepped sum-out (tiles, rows, listed offsets) against the entry-by-entry one: the same numbers bit for bit on
// random shapes: 1 or 2 summed variables, 1 to 4 inputs listing their variables shuffled or in the result's order,
// half the entries 0.0 and whole slices too, results of up to 65536 entries. The larger ones are filled by two
// threads too, share by share, which must give the one thread's table exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "base/work_queue.hpp"
#include "product/sum_out.hpp"
#include "product/tables.hpp"

namespace pedlik::testing {
namespace {

// The stepped walk may multiply a term's factors in another order (those
// constant along a row first), so an entry may differ in its last bits.
TEST(SteppedSumOut, MatchesEntryByEntry) {
    WorkQueue twoThreads(2);
    for (std::uint64_t seed = 1; seed <= 500; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937_64 random(seed);
        auto draw = [&](std::size_t low, std::size_t high) {
            return std::uniform_int_distribution<std::size_t>(low, high)(random);
        };
        // One shape in 25 has 65536 entries, which two threads share.
        const bool large = seed % 25 == 0;
        const std::size_t width = large ? 8 : draw(1, 8), inputCount = draw(1, 4);
        std::vector<Variable> variables(width + draw(1, 2));  // the result's, then the summed ones
        for (std::size_t v = 0; v < variables.size(); ++v) variables[v].valueCount = large && v < width ? 4 : static_cast<int>(draw(2, 4));
        // Every variable listed once at least, the first summed one by every input; the result's last few listed by
        // an input all or none, so that rows form.
        const std::size_t block = width - draw(0, std::min<std::size_t>(width, 3));
        std::vector<std::size_t> listsBlock(inputCount), place(variables.size());
        for (std::size_t& lists : listsBlock) lists = draw(0, 1);
        listsBlock[draw(0, inputCount - 1)] = 1;
        std::vector<std::vector<std::size_t>> listed(inputCount);
        for (std::size_t v = 0; v < variables.size(); ++v) {
            const std::size_t lister = draw(0, inputCount - 1);
            for (std::size_t k = 0; k < inputCount; ++k) {
                const bool inBlock = v >= block && v < width;
                if (inBlock ? listsBlock[k] == 1 : k == lister || v == width || draw(0, 1) == 1) listed[k].push_back(v);
            }
        }
        std::vector<Function> inputs(inputCount);
        std::vector<Function*> inputList;
        std::uniform_real_distribution<double> uniform(0.0, 1.0);
        for (std::size_t k = 0; k < inputCount; ++k) {
            // The summed variables anywhere among the result's.
            for (std::size_t v = 0; v < variables.size(); ++v) place[v] = v < width ? 2 * v + 1 : 2 * draw(0, width);
            if (draw(0, 1) == 1) std::shuffle(listed[k].begin(), listed[k].end(), random);
            else std::sort(listed[k].begin(), listed[k].end(), [&](std::size_t a, std::size_t b) { return place[a] < place[b]; });
            std::size_t size = 1;
            for (std::size_t v : listed[k]) {
                inputs[k].vars.push_back(&variables[v]);
                size *= static_cast<std::size_t>(variables[v].valueCount);
            }
            // Besides, one value of one variable has only 0.0, as an allele no
            // transmission gives: whole regions of the table are 0.0.
            const std::size_t zeroPosition = draw(0, listed[k].size() - 1);
            const auto zeroCount = static_cast<std::size_t>(variables[listed[k][zeroPosition]].valueCount);
            const std::size_t zeroValue = draw(0, zeroCount - 1);
            std::size_t zeroStride = 1;
            for (std::size_t position = zeroPosition + 1; position < listed[k].size(); ++position) {
                zeroStride *= static_cast<std::size_t>(variables[listed[k][position]].valueCount);
            }
            SharedTable table = newTable(size, "input");
            for (std::size_t e = 0; e < size; ++e) {
                const bool zero = draw(0, 1) == 0 || e / zeroStride % zeroCount == zeroValue;
                (*table)[e] = zero ? 0.0 : uniform(random);
            }
            setTable(inputs[k], std::move(table), 1);
            inputList.push_back(&inputs[k]);
        }
        std::vector<Variable*> resultVars, summed;
        std::size_t size = 1;
        for (std::size_t v = 0; v < variables.size(); ++v) {
            (v < width ? resultVars : summed).push_back(&variables[v]);
            if (v < width) size *= static_cast<std::size_t>(variables[v].valueCount);
        }
        Function stepped, simple, shared;
        for (Function* result : {&stepped, &simple, &shared}) {
            result->vars = resultVars;
            // Whatever a table held before: a sum-out writes every entry.
            SharedTable table = newTable(size, "result");
            std::fill(table->begin(), table->end(), -1.0);
            setTable(*result, std::move(table), 1);
        }
        sumProductIncremental(stepped, summed, inputList);
        sumProductSimple(simple, summed, inputList);
        sumProductIncremental(shared, summed, inputList, &twoThreads);
        for (std::size_t e = 0; e < size; ++e) {
            ASSERT_NEAR(stepped.probablist[e], simple.probablist[e], 1e-14 * simple.probablist[e]) << "entry " << e;
        }
        ASSERT_TRUE(std::equal(shared.probablist.begin(), shared.probablist.end(), stepped.probablist.begin()));
    }
}

}  // namespace
}  // namespace pedlik::testing

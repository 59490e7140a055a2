#include "product/input_layout.hpp"

#include <algorithm>
#include <numeric>

#include "base/allocation.hpp"
#include "product/tables.hpp"

namespace pedlik {

namespace {

// Where a variable goes in the walk's order: the summed ones first, in
// their order, then the result's in its order.
std::size_t walkRank(const Variable* variable, const Function& result, std::span<Variable* const> summed) {
    const auto isSummed = std::find(summed.begin(), summed.end(), variable);
    if (isSummed != summed.end()) return static_cast<std::size_t>(isSummed - summed.begin());
    const auto inResult = std::find(result.vars.begin(), result.vars.end(), variable);
    return summed.size() + static_cast<std::size_t>(inResult - result.vars.begin());
}

// The input's variable positions in the walk's order.
std::vector<std::size_t> walkOrder(const Function& input, const Function& result, std::span<Variable* const> summed) {
    std::vector<std::size_t> positions(input.vars.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
        return walkRank(input.vars[a], result, summed) < walkRank(input.vars[b], result, summed);
    });
    return positions;
}

// The input's entries with its variables in the given order: the copy is
// walked in its own row-major order while the source index follows by the
// source's strides.
void arrangeInto(Function& copy, const Function& input, std::span<const std::size_t> positions) {
    const std::size_t width = positions.size();
    std::vector<std::ptrdiff_t> sourceStrides(width), strides(width), counts(width), digits(width, 0);
    std::ptrdiff_t stride = 1;
    for (std::size_t position = width; position-- > 0;) {
        sourceStrides[position] = stride;
        stride *= input.vars[position]->valueCount;
    }
    for (std::size_t p = 0; p < width; ++p) {
        copy.vars.push_back(input.vars[positions[p]]);
        strides[p] = sourceStrides[positions[p]];
        counts[p] = input.vars[positions[p]]->valueCount;
    }
    // Filled by appending: zeroing the table first would cost another pass.
    SharedTable table = allocateOrDie("probability table", [&] {
        auto made = std::make_shared<Table>();
        made->reserve(input.tableSize());
        return made;
    });
    const std::size_t last = width - 1;
    std::ptrdiff_t source = 0;
    while (table->size() < input.tableSize()) {
        // The copy's last variable runs fastest: one gather along its stride.
        const double* entries = input.probablist.data() + source;
        for (std::ptrdiff_t value = 0; value < counts[last]; ++value) table->push_back(entries[value * strides[last]]);
        for (std::size_t p = last; p-- > 0;) {
            source += strides[p];
            if (++digits[p] < counts[p]) break;
            digits[p] = 0;
            source -= counts[p] * strides[p];
        }
    }
    setTable(copy, std::move(table), 1);
    copy.logScale = input.logScale;
}

}  // namespace

ArrangedInputs arrangeInputs(const Function& result, std::span<Variable* const> summed,
                             std::span<Function* const> inputs) {
    ArrangedInputs arranged;
    allocateOrDie("incDecArr", [&] { arranged.functions.assign(inputs.begin(), inputs.end()); });
    double combinations = 1.0;
    for (const Variable* variable : summed) combinations *= variable->valueCount;
    const double reads = static_cast<double>(result.tableSize()) * combinations;
    for (Function*& input : arranged.functions) {
        const auto entries = static_cast<double>(input->tableSize());
        if (entries < arrangeFrom || reads < rereadsToArrange * entries) continue;
        const std::vector<std::size_t> positions = walkOrder(*input, result, summed);
        if (std::is_sorted(positions.begin(), positions.end())) continue;
        Function& copy = allocateOrDie("probability table", [&]() -> Function& { return arranged.copies.emplace_back(); });
        arrangeInto(copy, *input, positions);
        input = &copy;
    }
    return arranged;
}

}  // namespace pedlik

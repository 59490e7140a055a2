#include "product/input_layout.hpp"

#include <algorithm>
#include <numeric>

#include "base/allocation.hpp"
#include "product/tables.hpp"

namespace pedlik {

namespace {

// Entries of a copy filled by one thread at a time.
constexpr std::size_t arrangedShare = std::size_t{1} << 16;

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

// A copy is made block by block. A block runs over the copy's last
// variables and the source's last variables, enough of each that both
// sides move through whole cache lines; the other variables pick the
// block. Walking either table in the other's order would read or write a
// line for every entry once the tables outgrow the caches.
constexpr std::ptrdiff_t blockRun = 16;

struct CopyBlocks {
    std::vector<int> outer;                    // the copy positions outside the block, in copy order
    std::vector<std::ptrdiff_t> copyOffsets;   // per entry of a block, in copy order: its place in the copy
    std::vector<std::ptrdiff_t> sourceOffsets;  // ... and in the source
};

// `strides` and `counts` are those of the copy's positions in the source and
// their value counts; `copyStrides` the copy's own.
CopyBlocks copyBlocks(std::span<const std::ptrdiff_t> strides, std::span<const std::ptrdiff_t> counts,
                      std::span<const std::ptrdiff_t> copyStrides) {
    const std::size_t width = strides.size();
    std::vector<char> inBlock(width, 0);
    std::ptrdiff_t run = 1;
    for (std::size_t p = width; p-- > 0 && run < blockRun;) {
        inBlock[p] = 1;
        run *= counts[p];
    }
    // The source's last variables are those of its smallest strides.
    std::vector<std::size_t> bySourceStride(width);
    std::iota(bySourceStride.begin(), bySourceStride.end(), std::size_t{0});
    std::sort(bySourceStride.begin(), bySourceStride.end(), [&](std::size_t a, std::size_t b) { return strides[a] < strides[b]; });
    run = 1;
    for (std::size_t k = 0; k < width && run < blockRun; ++k) {
        inBlock[bySourceStride[k]] = 1;
        run *= counts[bySourceStride[k]];
    }
    CopyBlocks blocks;
    blocks.copyOffsets.assign(1, 0);
    blocks.sourceOffsets.assign(1, 0);
    for (std::size_t p = 0; p < width; ++p) {
        if (!inBlock[p]) {
            blocks.outer.push_back(static_cast<int>(p));
            continue;
        }
        const std::size_t before = blocks.copyOffsets.size();
        std::vector<std::ptrdiff_t> copyOffsets, sourceOffsets;
        copyOffsets.reserve(before * static_cast<std::size_t>(counts[p]));
        sourceOffsets.reserve(before * static_cast<std::size_t>(counts[p]));
        for (std::size_t e = 0; e < before; ++e) {
            for (std::ptrdiff_t value = 0; value < counts[p]; ++value) {
                copyOffsets.push_back(blocks.copyOffsets[e] + value * copyStrides[p]);
                sourceOffsets.push_back(blocks.sourceOffsets[e] + value * strides[p]);
            }
        }
        blocks.copyOffsets = std::move(copyOffsets);
        blocks.sourceOffsets = std::move(sourceOffsets);
    }
    return blocks;
}

// The input's entries with its variables in the given order. Blocks are
// filled in shares, by the queue's threads when there is one: each entry is
// written once, from its own source entry.
void arrangeInto(Function& copy, const Function& input, std::span<const std::size_t> positions, WorkQueue* queue) {
    const std::size_t width = positions.size();
    std::vector<std::ptrdiff_t> sourceStrides(width), strides(width), counts(width), copyStrides(width);
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
    stride = 1;
    for (std::size_t p = width; p-- > 0;) {
        copyStrides[p] = stride;
        stride *= counts[p];
    }
    const CopyBlocks blocks = allocateOrDie("incDecArr", [&] { return copyBlocks(strides, counts, copyStrides); });
    SharedTable table = newUnfilledTable(input.tableSize(), "probability table");
    double* const target = table->data();
    const double* const source = input.probablist.data();
    const std::size_t blockLength = blocks.copyOffsets.size();
    const std::size_t blockCount = input.tableSize() / blockLength;
    const std::size_t blocksPerShare = std::max<std::size_t>(1, arrangedShare / blockLength);
    const std::size_t shares = (blockCount + blocksPerShare - 1) / blocksPerShare;
    const auto fillShare = [&](int share) {
        std::size_t block = static_cast<std::size_t>(share) * blocksPerShare;
        const std::size_t last = std::min(blockCount, block + blocksPerShare);
        for (; block < last; ++block) {
            // The block's first entry: its outer digits, the last fastest.
            std::ptrdiff_t copyBase = 0, sourceBase = 0;
            std::size_t rest = block;
            for (std::size_t k = blocks.outer.size(); k-- > 0;) {
                const auto p = static_cast<std::size_t>(blocks.outer[k]);
                const auto digit = static_cast<std::ptrdiff_t>(rest % static_cast<std::size_t>(counts[p]));
                rest /= static_cast<std::size_t>(counts[p]);
                copyBase += digit * copyStrides[p];
                sourceBase += digit * strides[p];
            }
            for (std::size_t e = 0; e < blockLength; ++e) {
                target[copyBase + blocks.copyOffsets[e]] = source[sourceBase + blocks.sourceOffsets[e]];
            }
        }
    };
    runShares(queue, static_cast<int>(shares), fillShare);
    setTable(copy, std::move(table), 1);
    copy.logScale = input.logScale;
}

}  // namespace

ArrangedInputs arrangeInputs(const Function& result, std::span<Variable* const> summed,
                             std::span<Function* const> inputs, WorkQueue* queue) {
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
        arrangeInto(copy, *input, positions, queue);
        input = &copy;
    }
    return arranged;
}

}  // namespace pedlik

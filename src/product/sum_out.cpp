#include "product/sum_out.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <type_traits>

#include "base/allocation.hpp"
#include "product/function_index.hpp"
#include "product/input_layout.hpp"
#include "product/neighbours.hpp"
#include "product/product_pool.hpp"
#include "product/table_walk.hpp"
#include "product/tables.hpp"
#include "product/variable_lists.hpp"
#include "product/zero_regions.hpp"

namespace pedlik {

namespace {

// One input table of a sum-out as the inner loop reads it: its entries, the
// stride of a single summed variable in it, and the position that matches
// the current digits of the result (with every summed variable at 0).
// Gathered once per sum-out so that the loop over the result's entries
// touches only this contiguous array.
struct InputCursor {
    const double* entries;
    std::ptrdiff_t stride;
    std::ptrdiff_t index;
};

// Reads the functions' stride and tableIndex.
std::vector<InputCursor> inputCursors(std::span<Function* const> functions) {
    std::vector<InputCursor> inputs;
    allocateOrDie("incDecArr", [&] { inputs.reserve(functions.size()); });
    for (const Function* function : functions) {
        inputs.push_back({function->probablist.data(), function->stride, function->tableIndex});
    }
    return inputs;
}

// The sum over the terms of one result entry of the product of the
// inputs' entries, each input taken in order at its cursor plus its offset
// for the term; a zero entry drops the term at once. Without inputs every
// term adds 1.
template <typename Offset>
double sumOfTerms(std::span<const InputCursor> inputs, std::size_t termCount, const Offset& offset) {
    double sum = 0.0;
    for (std::size_t term = 0; term < termCount; ++term) {
        double product = 1.0;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            const double entry = inputs[k].entries[inputs[k].index + offset(term, k)];
            if (entry == 0.0) {
                product = 0.0;
                break;
            }
            product *= entry;
        }
        if (product != 0.0) sum += product;
    }
    return sum;
}

// Where the inputs read the terms of one result entry: for the z-th
// combination of the summed variables' values (the last one fastest),
// input k reads offsets[z * inputCount + k] past its cursor. An input that
// does not list a summed variable does not move with it.
struct SummedTerms {
    std::vector<std::ptrdiff_t> offsets;
    std::size_t combinations = 1;
};

SummedTerms summedTerms(std::span<Variable* const> summed, std::span<Function* const> functions) {
    const std::size_t inputCount = functions.size();
    std::vector<std::ptrdiff_t> strides;  // [k * summed.size() + j]
    allocateOrDie("incDecArr", [&] { strides.assign(inputCount * summed.size(), 0); });
    for (std::size_t k = 0; k < inputCount; ++k) {
        std::ptrdiff_t stride = 1;
        const std::vector<Variable*>& listed = functions[k]->vars;
        for (std::size_t position = listed.size(); position-- > 0;) {
            const auto found = std::find(summed.begin(), summed.end(), listed[position]);
            if (found != summed.end()) strides[k * summed.size() + static_cast<std::size_t>(found - summed.begin())] = stride;
            stride *= listed[position]->valueCount;
        }
    }
    SummedTerms terms;
    for (const Variable* variable : summed) terms.combinations *= static_cast<std::size_t>(std::max(variable->valueCount, 0));
    std::vector<int> digits;
    std::vector<std::ptrdiff_t> current;  // the offsets of the combination being written
    allocateOrDie("incDecArr", [&] {
        terms.offsets.resize(terms.combinations * inputCount);
        digits.assign(summed.size(), 0);
        current.assign(inputCount, 0);
    });
    for (std::size_t z = 0; z < terms.combinations; ++z) {
        std::copy(current.begin(), current.end(), terms.offsets.begin() + static_cast<std::ptrdiff_t>(z * inputCount));
        for (std::size_t j = summed.size(); j-- > 0;) {
            const bool wraps = ++digits[j] == summed[j]->valueCount;
            if (wraps) digits[j] = 0;
            for (std::size_t k = 0; k < inputCount; ++k) {
                const std::ptrdiff_t stride = strides[k * summed.size() + j];
                current[k] += wraps ? (1 - summed[j]->valueCount) * stride : stride;
            }
            if (!wraps) break;
        }
    }
    return terms;
}

// How the stepped sum-out visits the result: in tiles, blocks of
// consecutive entries over the result's last variables, each filled in
// place, row by row. Every tile reads the inputs in the same pattern, fixed
// before the first one: only the odometer over the other variables moves
// the inputs' positions, once per tile, and the inner loops run along a row
// without index arithmetic.
//
// Along a row an input reads one entry for the whole row (it lists none of
// the row's variables), entries one apart or a fixed stride apart (it lists
// them together and in the result's order), or entries at listed offsets.
// Rows are the run of the result's last variables in which every input
// reads one of the first three ways, when that run is long enough to pay
// for a loop; otherwise a row is the whole tile.
enum class Reads { one, adjacent, strided, listed };

struct TileReads {
    Reads reads = Reads::one;
    std::ptrdiff_t stride = 0;     // adjacent and strided: the move from one entry of a row to the next
    // listed, and every input of a gathering pass (see gatheredInputs): the
    // offset of each entry of a row from the row's first entry
    std::vector<int> offsets;
    std::vector<int> rowOffsets;  // the offset of each row's first entry from the tile's
};

struct TilePlan {
    std::size_t first = 0;      // the tile's variables are the result's positions first .. width - 1
    std::size_t rowFirst = 0;   // the rows' variables are the positions rowFirst .. width - 1
    std::size_t length = 1;     // entries in one tile
    std::size_t rowLength = 1;  // entries in one row
    std::vector<TileReads> inputs;
    std::vector<std::size_t> rowConstant;  // the inputs that read one entry for the whole row
};

// Tiles this long keep their entries and offsets in the first-level cache
// while the inputs' entries pass.
constexpr std::size_t tileLimit = 512;
// Shorter rows of entries one or a stride apart cost more in loop overhead
// than listed offsets over the whole tile do in reading the offsets.
constexpr std::size_t shortestRow = 8;

// `row` holds an input's step pair for each result position; a pair's step
// is the input's stride at that position, 0 when the input does not list
// the position's variable. Variable p + 1 follows p in the input as in the
// result when the stride of p is the stride of p + 1 times its value count
// (0 = 0 when the input lists neither).
bool followsInInput(const Function& result, std::span<const StepPair> row, std::size_t p) {
    return row[p].step == row[p + 1].step * result.vars[p + 1]->valueCount;
}

// The input's offsets over the result's positions from .. to - 1, for
// every combination of their values, the last variable fastest.
std::vector<int> offsetsOver(const Function& result, std::span<const StepPair> row, std::size_t from, std::size_t to) {
    std::vector<int> offsets;
    allocateOrDie("incDecArr", [&] { offsets.assign(1, 0); });
    for (std::size_t position = from; position < to; ++position) {
        const auto valueCount = static_cast<std::size_t>(result.vars[position]->valueCount);
        const std::size_t before = offsets.size();
        allocateOrDie("incDecArr", [&] { offsets.resize(before * valueCount); });
        for (std::size_t e = before; e-- > 0;) {
            for (std::size_t value = valueCount; value-- > 0;) {
                offsets[e * valueCount + value] = offsets[e] + static_cast<int>(value) * row[position].step;
            }
        }
    }
    return offsets;
}

TileReads tileReads(const Function& result, std::span<const StepPair> row, const TilePlan& tile) {
    const std::size_t width = row.size();
    TileReads reads;
    reads.rowOffsets = offsetsOver(result, row, tile.first, tile.rowFirst);
    bool plain = true;
    for (std::size_t p = tile.rowFirst; p + 1 < width; ++p) plain = plain && followsInInput(result, row, p);
    if (!plain) {
        reads.reads = Reads::listed;
        reads.offsets = offsetsOver(result, row, tile.rowFirst, width);
        return reads;
    }
    reads.stride = tile.rowFirst == width ? 0 : row[width - 1].step;
    reads.reads = reads.stride == 0 ? Reads::one : reads.stride == 1 ? Reads::adjacent : Reads::strided;
    return reads;
}

// The inputs that move along the row (read more than one entry of it).
struct MovingInputs {
    std::size_t count = 0;
    bool adjacent = true;  // every one of them reads adjacent entries
    const TileReads* last = nullptr;
};

MovingInputs movingInputs(std::span<const TileReads> inputs) {
    MovingInputs moving;
    for (const TileReads& input : inputs) {
        if (input.reads == Reads::one) continue;
        ++moving.count;
        moving.adjacent = moving.adjacent && input.reads == Reads::adjacent;
        moving.last = &input;
    }
    return moving;
}

// How many of more than two inputs move along the row, when a gathering
// pass makes their terms: two to mostGathered of them, not all reading
// adjacent entries (those have a pass of their own). The pass reads each
// one's entries through offsets, which adjacent and strided inputs then
// get too, and makes a term at once instead of input by input through
// scratch; it took an eighth off the 30-person four-marker case.
constexpr std::size_t mostGathered = 6;

std::size_t gatheredInputs(std::span<const TileReads> inputs) {
    if (inputs.size() <= 2) return 0;
    const MovingInputs moving = movingInputs(inputs);
    return moving.count >= 2 && moving.count <= mostGathered && !moving.adjacent ? moving.count : 0;
}

// `steps` holds one row of step pairs per input, one pair per result position.
TilePlan tilePlan(const Function& result, std::span<const StepPair> steps, std::size_t inputCount) {
    const std::size_t width = result.vars.size();
    TilePlan tile;
    tile.first = tile.rowFirst = width;
    bool plain = true;  // every input reads the tile so far one entry, one or a stride apart
    while (tile.first > 0) {
        const std::size_t position = tile.first - 1;
        const auto valueCount = static_cast<std::size_t>(result.vars[position]->valueCount);
        if (position + 1 < width && tile.length * valueCount > tileLimit) break;
        for (std::size_t k = 0; k < inputCount && position + 1 < width; ++k) {
            plain = plain && followsInInput(result, steps.subspan(k * width, width), position);
        }
        tile.length *= valueCount;
        tile.first = position;
        if (plain) {
            tile.rowLength = tile.length;
            tile.rowFirst = position;
        }
    }
    if (tile.rowLength < shortestRow) {
        tile.rowLength = tile.length;
        tile.rowFirst = tile.first;
    }
    allocateOrDie("incDecArr", [&] { tile.inputs.reserve(inputCount); });
    for (std::size_t k = 0; k < inputCount; ++k) tile.inputs.push_back(tileReads(result, steps.subspan(k * width, width), tile));
    for (std::size_t k = 0; k < inputCount; ++k) {
        if (tile.inputs[k].reads == Reads::one) allocateOrDie("incDecArr", [&] { tile.rowConstant.push_back(k); });
    }
    if (gatheredInputs(tile.inputs) > 0) {
        for (TileReads& input : tile.inputs) {
            if (input.reads != Reads::adjacent && input.reads != Reads::strided) continue;
            allocateOrDie("incDecArr", [&] { input.offsets.resize(tile.rowLength); });
            for (std::size_t e = 0; e < tile.rowLength; ++e) {
                input.offsets[e] = static_cast<int>(static_cast<std::ptrdiff_t>(e) * input.stride);
            }
        }
    }
    return tile;
}

// The walk from tile to tile: an odometer over the result's variables
// before the tile's, which moves the inputs' positions by digit position:
// only the inputs that list the digit's variable, with their step pairs.
// A step then reads contiguous memory and skips the inputs it would not move.
struct IndexMove {
    std::size_t input;
    StepPair pair;
};

struct TileWalk {
    std::vector<IndexMove> moves;
    std::vector<std::size_t> firstMove;  // position p moves moves[firstMove[p]] .. moves[firstMove[p + 1] - 1]
    std::vector<int> lastValues;         // the largest value of each digit
    std::vector<int> digits;
    std::vector<std::ptrdiff_t> index;  // each input's position at the current tile's first entry

    void next() {
        for (std::size_t position = digits.size(); position-- > 0;) {
            const IndexMove* begin = moves.data() + firstMove[position];
            const IndexMove* end = moves.data() + firstMove[position + 1];
            if (digits[position] < lastValues[position]) {
                ++digits[position];
                for (const IndexMove* move = begin; move != end; ++move) index[move->input] += move->pair.step;
                return;
            }
            digits[position] = 0;
            for (const IndexMove* move = begin; move != end; ++move) index[move->input] += move->pair.wrap;
        }
    }

    // Puts the walk at the first entry of tile `tile` (counted from 0), as
    // that many calls of next() from the first tile would.
    void seek(std::size_t tile) {
        std::fill(index.begin(), index.end(), 0);
        for (std::size_t position = digits.size(); position-- > 0;) {
            const auto valueCount = static_cast<std::size_t>(lastValues[position]) + 1;
            digits[position] = static_cast<int>(tile % valueCount);
            tile /= valueCount;
            for (std::size_t m = firstMove[position]; m < firstMove[position + 1]; ++m) {
                index[moves[m].input] += digits[position] * moves[m].pair.step;
            }
        }
    }
};

// `steps` as for tilePlan.
TileWalk tileWalk(const Function& result, std::span<const StepPair> steps, std::size_t inputCount, const TilePlan& tile) {
    const std::size_t width = result.vars.size();
    TileWalk walk;
    allocateOrDie("incDecArr", [&] {
        walk.moves.reserve(inputCount * tile.first);
        walk.firstMove.resize(tile.first + 1);
        walk.lastValues.resize(tile.first);
        walk.digits.assign(tile.first, 0);
        walk.index.assign(inputCount, 0);
    });
    for (std::size_t position = 0; position < tile.first; ++position) {
        walk.firstMove[position] = walk.moves.size();
        walk.lastValues[position] = result.vars[position]->valueCount - 1;
        for (std::size_t k = 0; k < inputCount; ++k) {
            const StepPair& pair = steps[k * width + position];
            if (pair.step != 0) walk.moves.push_back({k, pair});
        }
    }
    walk.firstMove[tile.first] = walk.moves.size();
    return walk;
}

// An input whose regions over a tile's variables are mapped (see
// zeroRegions): a tile for which one of them reads only 0.0 at a
// combination of the summed values gets only +0.0 terms from it.
struct InputZeros {
    std::size_t input;
    ZeroRegions regions;
};

// The term sums run across a row's entries at once. Each entry still gets
// its own sum's operations in their order: for every combination of the
// summed values in turn, the product of the inputs' entries in input order
// (from 1.0, and 1.0 times an entry is the entry), added to a sum that
// starts at 0.0. Within a row, terms holding a 0.0 entry are added too:
// with every entry non-negative and finite they add +0.0, which changes no
// sum, and the loops need no branch. A whole row of such terms is skipped
// (fillRows).
struct TileTerms {
    std::span<double> sums;                    // the tile's entries of the result
    std::size_t rowLength = 1;
    std::span<const double* const> bases;      // per input, its entry at the tile's first entry, every summed value 0
    std::span<const TileReads> reads;          // per input
    std::span<const std::size_t> rowConstant;  // as in TilePlan
    std::span<const InputZeros> zeros;
    std::span<const std::ptrdiff_t> summedAt;  // per combination and input, as in SummedTerms
    std::size_t combinations = 0;
    // Scratch: per input, its entry at the tile's and at the row's first
    // entry for the current combination; a row's products of more than two inputs.
    std::span<const double*> starts, rowStarts;
    std::span<double> products;
};

// An input's entries along one row, in its pattern, which is known at
// compile time in the inner loops. Its fields are copies, which the
// compiler keeps in registers: the result's entries that the loops write
// are doubles too and could, as far as it knows, overwrite the originals.
template <Reads reads>
class Along {
public:
    Along(const double* start, const TileReads& pattern)
        : start_(start), stride_(pattern.stride), offsets_(pattern.offsets.data()),
          entry_(reads == Reads::one ? *start : 0.0) {}

    double operator()(std::size_t e) const {
        if constexpr (reads == Reads::one) return entry_;
        else if constexpr (reads == Reads::adjacent) return start_[e];
        else if constexpr (reads == Reads::strided) return start_[static_cast<std::ptrdiff_t>(e) * stride_];
        else return start_[offsets_[e]];
    }

private:
    const double* start_;
    std::ptrdiff_t stride_;
    const int* offsets_;
    double entry_;
};

template <typename Visit>
auto withReads(Reads reads, const Visit& visit) {
    switch (reads) {
        case Reads::one: return visit(std::integral_constant<Reads, Reads::one>{});
        case Reads::adjacent: return visit(std::integral_constant<Reads, Reads::adjacent>{});
        case Reads::strided: return visit(std::integral_constant<Reads, Reads::strided>{});
        default: return visit(std::integral_constant<Reads, Reads::listed>{});
    }
}

// The first term of a sum is added to 0.0, not stored, exactly as the
// entry-by-entry sum does.
template <typename Term>
void addTerms(std::span<double> sums, bool first, const Term& term) {
    if (first) {
        for (std::size_t e = 0; e < sums.size(); ++e) sums[e] = 0.0 + term(e);
    } else {
        for (std::size_t e = 0; e < sums.size(); ++e) sums[e] += term(e);
    }
}

template <typename Entry>
void multiplyProducts(std::span<double> products, bool first, const Entry& entry) {
    if (first) {
        for (std::size_t e = 0; e < products.size(); ++e) products[e] = entry(e);
    } else {
        for (std::size_t e = 0; e < products.size(); ++e) products[e] *= entry(e);
    }
}

// Calls `fill` for every row with whether this is the first term, the
// row's sums and each input's entry at the row's first entry, from its
// entry at the tile's first entry in t.starts. A row where an input that
// reads one entry for it reads 0.0 is left alone: all of its terms are
// +0.0, which the first term writes and later ones would add. Most entries
// of a pedigree's tables are 0.0 (joint genotypes that no transmission
// allows), so this skips half the terms of a typical elimination or more.
// Not inlined: on its own the inner loop keeps its pointers in registers,
// which inside the callers' loops it spills.
template <typename Fill>
[[gnu::noinline]] void fillRows(const TileTerms& t, bool first, const Fill& fill) {
    const std::size_t rows = t.sums.size() / t.rowLength;
    for (std::size_t g = 0; g < rows; ++g) {
        for (std::size_t k = 0; k < t.starts.size(); ++k) t.rowStarts[k] = t.starts[k] + t.reads[k].rowOffsets[g];
        const std::span<double> sums = t.sums.subspan(g * t.rowLength, t.rowLength);
        bool zero = false;
        for (const std::size_t k : t.rowConstant) zero = zero || *t.rowStarts[k] == 0.0;
        if (!zero) {
            fill(first, sums, t.rowStarts);
        } else if (first) {
            std::fill(sums.begin(), sums.end(), 0.0);
        }
    }
}

// Calls `fill` for every combination z of the summed values, in order, and
// every row, as fillRows does; a combination at which a mapped input reads
// only 0.0 over the tile is skipped as fillRows skips a row.
template <typename Fill>
void forEachRow(const TileTerms& t, const Fill& fill) {
    const std::size_t inputCount = t.starts.size();
    for (std::size_t z = 0; z < t.combinations; ++z) {
        for (std::size_t k = 0; k < inputCount; ++k) t.starts[k] = t.bases[k] + t.summedAt[z * inputCount + k];
        bool zero = false;
        for (const InputZeros& mapped : t.zeros) zero = zero || !mapped.regions.holdsNonzero(t.starts[mapped.input]);
        if (!zero) {
            fillRows(t, z == 0, fill);
        } else if (z == 0) {
            std::fill(t.sums.begin(), t.sums.end(), 0.0);
        }
    }
}

using SumTerms = void (*)(const TileTerms&);

void sumWithoutInputs(const TileTerms& t) {
    for (std::size_t z = 0; z < t.combinations; ++z) addTerms(t.sums, z == 0, [](std::size_t) { return 1.0; });
}

template <Reads first>
void sumOneInput(const TileTerms& t) {
    forEachRow(t, [&](bool firstTerm, std::span<double> sums, std::span<const double* const> starts) {
        const Along<first> a(starts[0], t.reads[0]);
        addTerms(sums, firstTerm, [a](std::size_t e) { return a(e); });
    });
}

template <Reads first, Reads second>
void sumTwoInputs(const TileTerms& t) {
    forEachRow(t, [&](bool firstTerm, std::span<double> sums, std::span<const double* const> starts) {
        const Along<first> a(starts[0], t.reads[0]);
        const Along<second> b(starts[1], t.reads[1]);
        addTerms(sums, firstTerm, [a, b](std::size_t e) { return a(e) * b(e); });
    });
}

// More inputs, where no single-pass form below takes them (none or over
// six moving along the row): a row's products build up input by input in
// scratch. The inputs that give the whole row one entry are multiplied
// together first, once per row, and their product scales the first of the
// others; a term is then the same product of the same entries, taken in
// another order.
void sumManyInputs(const TileTerms& t) {
    const std::span<double> products = t.products.first(t.rowLength);
    forEachRow(t, [&](bool firstTerm, std::span<double> sums, std::span<const double* const> starts) {
        double rowFactor = 1.0;
        bool scaled = false;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            if (t.reads[k].reads == Reads::one) rowFactor *= *starts[k];
        }
        for (std::size_t k = 0; k < starts.size(); ++k) {
            if (t.reads[k].reads == Reads::one) continue;
            withReads(t.reads[k].reads, [&](auto reads) {
                const Along<decltype(reads)::value> entry(starts[k], t.reads[k]);
                if (scaled) {
                    multiplyProducts(products, false, [entry](std::size_t e) { return entry(e); });
                } else {
                    multiplyProducts(products, true, [entry, rowFactor](std::size_t e) { return rowFactor * entry(e); });
                }
            });
            scaled = true;
        }
        if (scaled) {
            addTerms(sums, firstTerm, [&](std::size_t e) { return products[e]; });
        } else {
            addTerms(sums, firstTerm, [rowFactor](std::size_t) { return rowFactor; });
        }
    });
}

// The product of the entries of the inputs that give the whole row one
// entry, and the starts of the others in input order.
template <std::size_t count>
double splitRow(const TileTerms& t, std::span<const double* const> starts, std::array<const double*, count>& others) {
    double rowFactor = 1.0;
    std::size_t other = 0;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        if (t.reads[k].reads == Reads::one) rowFactor *= *starts[k];
        else others[other++] = starts[k];
    }
    return rowFactor;
}

// More inputs, all but one giving the row one entry: as sumManyInputs
// multiplies, in one pass over the row instead of one per input and one
// for the sums.
template <Reads along>
void sumOneScaledInput(const TileTerms& t) {
    const std::size_t other = static_cast<std::size_t>(movingInputs(t.reads).last - t.reads.data());
    forEachRow(t, [&](bool firstTerm, std::span<double> sums, std::span<const double* const> starts) {
        std::array<const double*, 1> others{};
        const double rowFactor = splitRow(t, starts, others);
        const Along<along> entry(others[0], t.reads[other]);
        addTerms(sums, firstTerm, [entry, rowFactor](std::size_t e) { return rowFactor * entry(e); });
    });
}

// More inputs, the others reading adjacent entries, `count` of them: the
// same in one pass.
template <std::size_t count>
void sumScaledAdjacent(const TileTerms& t) {
    forEachRow(t, [&](bool firstTerm, std::span<double> sums, std::span<const double* const> starts) {
        std::array<const double*, count> others{};
        const double rowFactor = splitRow(t, starts, others);
        addTerms(sums, firstTerm, [others, rowFactor](std::size_t e) {
            double product = rowFactor * others[0][e];
            for (std::size_t k = 1; k < count; ++k) product *= others[k][e];
            return product;
        });
    });
}

// More inputs, `count` of them moving along the row: their entries gathered
// through their offsets, in one pass.
template <std::size_t count>
void sumGatheredInputs(const TileTerms& t) {
    std::array<const int*, count> offsets{};
    std::size_t other = 0;
    for (const TileReads& input : t.reads) {
        if (input.reads != Reads::one) offsets[other++] = input.offsets.data();
    }
    forEachRow(t, [&](bool firstTerm, std::span<double> sums, std::span<const double* const> starts) {
        std::array<const double*, count> others{};
        const double rowFactor = splitRow(t, starts, others);
        addTerms(sums, firstTerm, [others, offsets, rowFactor](std::size_t e) {
            double product = rowFactor * others[0][offsets[0][e]];
            for (std::size_t k = 1; k < count; ++k) product *= others[k][offsets[k][e]];
            return product;
        });
    });
}

// Inputs past two: sumManyInputs, or one of its single-pass forms.
SumTerms manyInputsSummer(std::span<const TileReads> inputs) {
    const MovingInputs moving = movingInputs(inputs);
    if (moving.count == 1) {
        return withReads(moving.last->reads, [](auto a) -> SumTerms { return &sumOneScaledInput<decltype(a)::value>; });
    }
    if (moving.adjacent) {
        switch (moving.count) {
            case 2: return &sumScaledAdjacent<2>;
            case 3: return &sumScaledAdjacent<3>;
            case 4: return &sumScaledAdjacent<4>;
            default: break;
        }
    }
    switch (gatheredInputs(inputs)) {
        case 2: return &sumGatheredInputs<2>;
        case 3: return &sumGatheredInputs<3>;
        case 4: return &sumGatheredInputs<4>;
        case 5: return &sumGatheredInputs<5>;
        case 6: return &sumGatheredInputs<6>;
        default: return &sumManyInputs;
    }
}

// The loop for the inputs' count and patterns, chosen once per sum-out.
SumTerms termSummer(std::span<const TileReads> inputs) {
    switch (inputs.size()) {
        case 0: return &sumWithoutInputs;
        case 1: return withReads(inputs[0].reads, [](auto a) -> SumTerms { return &sumOneInput<decltype(a)::value>; });
        case 2:
            return withReads(inputs[0].reads, [&](auto a) {
                return withReads(inputs[1].reads, [](auto b) -> SumTerms {
                    return &sumTwoInputs<decltype(a)::value, decltype(b)::value>;
                });
            });
        default: return manyInputsSummer(inputs);
    }
}

// The simple sum-out's walk over the result's entries, one at a time;
// `sumTerms` gives an entry from the inputs' cursors.
template <typename SumTerms>
void walkSimple(Function& result, std::span<Variable* const> summed, std::span<Function* const> functions,
                const SumTerms& sumTerms) {
    std::span<double> table = writableTable(result);
    resetDigits(result);
    for (Variable* variable : summed) variable->currentValue = 0;
    std::vector<InputCursor> inputs = inputCursors(functions);
    for (double& entry : table) {
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            digitIndex(*functions[k]);
            inputs[k].index = functions[k]->tableIndex;
        }
        entry = sumTerms(inputs);
        nextDigits(result);
    }
}

// Runs `walk` with the cheapest way to sum the terms: along each input's
// stride for one summed variable (the common case, and elimination's only
// one), through a table of offsets for several.
template <typename Walk>
void sumWith(std::span<Variable* const> summed, std::span<Function* const> functions, const Walk& walk) {
    if (summed.size() == 1) {
        const Variable& variable = *summed.front();
        for (Function* function : functions) {
            // An input without the variable reads one entry for every value.
            const bool lists = std::find(function->vars.begin(), function->vars.end(), &variable) != function->vars.end();
            if (lists) strideOf(*function, variable);
            else function->stride = 0;
        }
        const auto termCount = static_cast<std::size_t>(std::max(variable.valueCount, 0));
        walk([&](std::span<const InputCursor> inputs) {
            return sumOfTerms(inputs, termCount, [&](std::size_t value, std::size_t k) {
                return static_cast<std::ptrdiff_t>(value) * inputs[k].stride;
            });
        });
    } else {
        const SummedTerms terms = summedTerms(summed, functions);
        walk([&](std::span<const InputCursor> inputs) {
            return sumOfTerms(inputs, terms.combinations, [&](std::size_t combination, std::size_t k) {
                return terms.offsets[combination * inputs.size() + k];
            });
        });
    }
}

}  // namespace

void sumProductSimple(Function& result, std::span<Variable* const> summed, std::span<Function* const> functions) {
    sumWith(summed, functions, [&](const auto& sumTerms) { walkSimple(result, summed, functions, sumTerms); });
}

namespace {

// A sum-out of fewer entries than this runs on the calling thread: handing
// out its tiles would cost more than they take.
constexpr std::size_t sharedFrom = std::size_t{1} << 16;
// The entries of a share of a sum-out run by one thread at a time.
constexpr std::size_t shareLength = std::size_t{1} << 14;

// A sum-out of fewer terms than this maps no input: its walks would cost
// more than the terms they save (8,192 and 524,288 did no better on the
// bench than this).
constexpr double mappedFrom = 65536.0;

// The maps of the inputs that move along the rows, for the tile's
// variables, where they find a region of only 0.0: a map costs one walk
// over its input, which the sum-out reads once at least.
std::vector<InputZeros> mappedInputs(const Function& result, std::span<Function* const> functions, const TilePlan& tile,
                                     WorkQueue* queue) {
    const std::span<Variable* const> tileVariables = std::span(result.vars).subspan(tile.first);
    std::vector<InputZeros> mapped;
    for (std::size_t k = 0; k < functions.size(); ++k) {
        if (tile.inputs[k].reads == Reads::one) continue;
        ZeroRegions regions = zeroRegions(*functions[k], tileVariables, queue);
        if (regions.zeroCount > 0) allocateOrDie("incDecArr", [&] { mapped.push_back({k, std::move(regions)}); });
    }
    return mapped;
}

}  // namespace

void sumProductIncremental(Function& result, std::span<Variable* const> summed,
                           std::span<Function* const> given, WorkQueue* queue) {
    std::span<double> table = writableTable(result);
    const ArrangedInputs arranged = arrangeInputs(result, summed, given, queue);
    const std::span<Function* const> functions = arranged.functions;
    const std::size_t inputCount = functions.size();
    const std::vector<StepPair> steps = prepareStepping(result, summed, functions);
    const TilePlan tile = tilePlan(result, steps, inputCount);
    const SummedTerms terms = summedTerms(summed, functions);
    const TileWalk firstWalk = tileWalk(result, steps, inputCount, tile);
    const SumTerms sumTerms = termSummer(tile.inputs);
    const double work = static_cast<double>(table.size()) * static_cast<double>(terms.combinations);
    const std::vector<InputZeros> zeros =
        work >= mappedFrom ? mappedInputs(result, functions, tile, queue) : std::vector<InputZeros>{};
    // Every entry is its own sum: tiles filled by different threads give
    // the table a single thread gives, bit for bit.
    const std::size_t tiles = table.size() / tile.length;
    const std::size_t tilesPerShare = std::max<std::size_t>(1, shareLength / tile.length);
    const std::size_t shares = (tiles + tilesPerShare - 1) / tilesPerShare;
    const auto fillShare = [&](int share) {
        const std::size_t first = static_cast<std::size_t>(share) * tilesPerShare;
        const std::size_t last = std::min(tiles, first + tilesPerShare);
        TileWalk walk = allocateOrDie("incDecArr", [&] { return firstWalk; });
        if (first > 0) walk.seek(first);
        std::vector<const double*> bases, starts, rowStarts;
        std::vector<double> products;
        allocateOrDie("incDecArr", [&] {
            bases.resize(inputCount);
            starts.resize(inputCount);
            rowStarts.resize(inputCount);
            products.resize(tile.rowLength);
        });
        for (std::size_t at = first; at < last; ++at) {
            for (std::size_t k = 0; k < inputCount; ++k) bases[k] = functions[k]->probablist.data() + walk.index[k];
            sumTerms({table.subspan(at * tile.length, tile.length), tile.rowLength, bases, tile.inputs,
                      tile.rowConstant, zeros, terms.offsets, terms.combinations, starts, rowStarts, products});
            walk.next();
        }
    };
    runShares(work >= static_cast<double>(sharedFrom) ? queue : nullptr, static_cast<int>(shares), fillShare);
    // A summed variable without values leaves no term: every sum is 0.0.
    if (terms.combinations == 0) std::fill(table.begin(), table.end(), 0.0);
    // Terms with a 0.0 factor are added, not dropped, which gives the same
    // sums only while no product overflows (0.0 times infinity is undefined).
    assert(std::all_of(table.begin(), table.end(), [](double entry) { return std::isfinite(entry); }));
}

double sumOutConstant(const Variable& variable, double logScaleSum) {
    double sum = 0.0;
    for (int value = 0; value < variable.valueCount; ++value) {
        double term = 1.0;
        for (const Function* function : variable.funcs) {
            const double entry = function->probablist[static_cast<size_t>(value)];
            if (entry == 0.0) {
                term = 0.0;
                break;
            }
            term *= entry;
        }
        if (term != 0.0) sum += term;
    }
    return logScaleSum + std::log(sum);
}

int sumOutVariable(Product& product, Variable& variable, double& constant, const EliminationSettings& settings,
                   WorkQueue* queue) {
    std::vector<Variable*> neighbours;
    allocateOrDie("varArr", [&] { neighbours.assign(static_cast<size_t>(product.variableCount), nullptr); });
    const Neighbourhood found = collectNeighbours(variable, neighbours);
    double logScaleSum = 0.0;
    int countdown = settings.rescaleCountdown;
    for (const Function* function : variable.funcs) {
        logScaleSum += function->logScale;
        countdown = std::min(countdown, function->rescaleCountdown);
    }
    // Both sum-outs write every entry.
    SharedTable table = newUnfilledTable(found.size, "Probability table");
    Function* result = nullptr;
    if (found.count > 0) {
        neighbours.resize(static_cast<size_t>(found.count));
        result = &addFunction(product, std::move(table), logScaleSum, 1, copyVarList(neighbours), countdown - 1);
        if (static_cast<double>(found.size) * variable.funcCount() >= settings.incrementalThreshold) {
            sumProductIncremental(*result, variable, variable.funcs, queue);
        } else {
            sumProductSimple(*result, variable, variable.funcs);
        }
        if (result->rescaleCountdown <= 0) {
            rescale(*result);
            result->rescaleCountdown = settings.rescaleCountdown;
        }
    } else {
        constant = sumOutConstant(variable, logScaleSum);
    }
    const std::vector<Function*> replaced = variable.funcs;
    for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
        for (Variable* listed : (*it)->vars) removeFunction(*listed, **it);
        releaseFunction(product, **it);
    }
    if (result != nullptr) {
        for (Variable* listed : result->vars) appendFunction(*listed, *result);
    }
    releaseVariable(product, variable);
    return result == nullptr ? 1 : 0;
}

}  // namespace pedlik

#pragma once

#include <deque>
#include <span>
#include <vector>

#include "base/work_queue.hpp"
#include "product/product.hpp"

namespace pedlik {

// The inputs of one sum-out, each either the function itself or a copy of
// it laid out for the sum-out's walk.
struct ArrangedInputs {
    std::vector<Function*> functions;  // in the order of the inputs given
    std::deque<Function> copies;       // what the copies own; a deque keeps their addresses
};

// An input whose variables do not follow the result's order (the summed
// variables first) is read by stride or by a table of offsets along the
// result's rows: once its table outgrows the caches, nearly every read
// misses. Such an input of at least `arrangeFrom` entries, each read at
// least `rereadsToArrange` times on average, is replaced by a copy with its
// variables in that order, which rows read one entry after the other
// (making the copy walks the input once, block by block; with a queue, on
// its threads). The copies hold the same numbers, so the sums are the same
// bit for bit.
constexpr std::size_t arrangeFrom = 2048;
constexpr double rereadsToArrange = 4.0;

ArrangedInputs arrangeInputs(const Function& result, std::span<Variable* const> summed,
                             std::span<Function* const> inputs, WorkQueue* queue = nullptr);

}  // namespace pedlik

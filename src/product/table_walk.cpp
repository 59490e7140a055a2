#include "product/table_walk.hpp"

namespace pedlik {

void strideOf(Function& function, const Variable& variable) {
    int stride = 1;
    for (std::size_t position = function.vars.size(); position-- > 0;) {
        const Variable* listed = function.vars[position];
        if (listed == &variable) {
            function.stride = stride;
            return;
        }
        stride *= listed->valueCount;
    }
    function.stride = 1;
}

void fillStepPairs(Function& function, const Variable& summed, std::span<StepPair> row) {
    int stride = 1;
    for (std::size_t position = function.vars.size(); position-- > 0;) {
        const Variable* listed = function.vars[position];
        if (listed == &summed) {
            function.stride = stride;
        } else {
            row[listed->currentValue] = StepPair{stride, (1 - listed->valueCount) * stride};
        }
        stride *= listed->valueCount;
    }
}

}  // namespace pedlik

#include "buckettree/standalone_function.hpp"

#include <cmath>
#include <numeric>

#include "base/allocation.hpp"
#include "product/table_walk.hpp"
#include "product/tables.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

void StandaloneDelete::operator()(Function* function) const { delete function; }

namespace {

OwnedFunction newStandalone(SharedTable table, double logScale, VarList vars, const char* recordLabel) {
    OwnedFunction function = allocateOrDie(recordLabel, [] { return OwnedFunction(new Function); });
    function->inUse = 1;
    function->standalone = 1;
    function->vars = std::move(vars);
    setTable(*function, std::move(table), 1);
    function->logScale = logScale;
    return function;
}

}  // namespace

OwnedFunction NewFunction(std::span<const double> entries, double logScale, VarList vars) {
    SharedTable table = allocateOrDie("funcPtr->probablist", [&] {
        return std::make_shared<Table>(entries.begin(), entries.end());
    });
    return newStandalone(std::move(table), logScale, std::move(vars), "funcPtr");
}

OwnedFunction newResultFunction(std::size_t size, VarList vars, const char* recordLabel, const char* tableLabel) {
    OwnedFunction result = newStandalone(newUnfilledTable(size, tableLabel), 0.0, std::move(vars), recordLabel);
    result->intermediate = 1;
    return result;
}

Slice ReduceFunction(const Function& function, const Variable& variable, int value) {
    const std::size_t size = function.tableSize() / static_cast<std::size_t>(variable.valueCount);
    if (function.vars.size() == 1) return Slice{nullptr, std::log(function.probablist[value]) + function.logScale};
    SharedTable table = newUnfilledTable(size, "probability table");
    copyValueSlice(function, variable, variable.valueCount, value, *table);
    Slice slice;
    slice.function = newStandalone(std::move(table), function.logScale, newVarList(function.vars, &variable), "funcPtr");
    return slice;
}

void NormalizeBelief(Function& belief) {
    const double sum = std::accumulate(belief.probablist.begin(), belief.probablist.end(), 0.0);
    if (!(sum > 0.0)) return;
    for (double& entry : writableTable(belief)) entry /= sum;
    belief.logScale = 0.0;
}

double LogSum(const Function& function) {
    return std::log(std::accumulate(function.probablist.begin(), function.probablist.end(), 0.0)) +
           function.logScale;
}

}  // namespace pedlik

#include "product/tables.hpp"

#include <cfloat>
#include <cmath>

#include "base/allocation.hpp"
#include "base/memory_reuse.hpp"

namespace pedlik {

namespace {

// A table of `size` entries, made by `fill`, with huge pages asked for
// before anything is written to it.
template <typename Fill>
SharedTable madeTable(std::size_t size, const char* label, const Fill& fill) {
    return allocateOrDie(label, [&] {
        auto table = std::make_shared<Table>();
        table->reserve(size);
        adviseHugePages(table->data(), size * sizeof(double));
        fill(*table);
        return table;
    });
}

}  // namespace

SharedTable newTable(std::size_t size, const char* label) {
    return madeTable(size, label, [size](Table& table) { table.resize(size, 0.0); });
}

SharedTable newUnfilledTable(std::size_t size, const char* label) {
    return madeTable(size, label, [size](Table& table) { table.resize(size); });
}

void setTable(Function& function, SharedTable table, int ownsTable) {
    function.storage = std::move(table);
    function.probablist = function.storage ? std::span<const double>(*function.storage) : std::span<const double>();
    function.ownsTable = ownsTable;
    function.supportChecked = 0;
}

std::span<double> writableTable(Function& function) {
    if (function.ownsTable == 0 || function.storage.use_count() != 1) {
        SharedTable own = allocateOrDie("probability table", [&] {
            return std::make_shared<Table>(function.probablist.begin(), function.probablist.end());
        });
        setTable(function, std::move(own), 1);
    }
    function.supportChecked = 0;
    return std::span<double>(*function.storage);
}

void rescale(Function& function) {
    double largest = -DBL_MAX;
    for (const double entry : function.probablist) {
        if (entry > largest) largest = entry;
    }
    if (!(largest > 0.0)) return;
    for (double& entry : writableTable(function)) entry /= largest;
    function.logScale += std::log(largest);
}

}  // namespace pedlik

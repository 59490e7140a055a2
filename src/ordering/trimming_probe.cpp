#include "ordering/trimming_probe.hpp"

#include <string>

#include "base/allocation.hpp"
#include "product/elimination.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

namespace {

double liveEntries(const Product& product) {
    double entries = 0.0;
    for (const Function& function : product.functions) {
        if (function.inUse) entries += static_cast<double>(function.tableSize());
    }
    return entries;
}

ConditioningProbe probe(const Product& product, const Variable& variable) {
    ConditioningProbe made;
    std::vector<double> keptValues;
    allocateOrDie("copyProduct data-structures", [&] { keptValues.assign(product.variables.size(), 0.0); });
    int live = 0;
    // Every copy starts with the source's live tables, which its trimming walks.
    const double entriesPerCopy = liveEntries(product);
    for (int value = 0; value < variable.valueCount; ++value) {
        std::string unread;  // the branch's progress lines: a probe prints none
        const FixedBranch branch = fixedBranch(product, variable, {}, 0, value, ProgressSink(unread));
        made.entriesWalked += entriesPerCopy;
        // As the elimination ends such a branch at once.
        if (!branch.possible) continue;
        ++live;
        // A variable that trimming left with one value is released from
        // the copy: it counts as one value.
        for (const Variable& source : product.variables) {
            if (source.inUse) keptValues[variableIndex(product, source)] += 1.0;
        }
        for (const Variable& copied : branch.copy.product->variables) {
            if (copied.inUse) keptValues[variableIndex(product, *copied.copiedFrom)] += copied.valueCount - 1.0;
        }
    }
    made.liveShare = static_cast<double>(live) / variable.valueCount;
    made.keptShares = std::move(keptValues);
    for (const Variable& source : product.variables) {
        double& share = made.keptShares[variableIndex(product, source)];
        share = source.inUse && live > 0 ? share / live / source.valueCount : 1.0;
    }
    return made;
}

}  // namespace

TrimmingProbes::TrimmingProbes(const Product& product) : product_(product) {
    allocateOrDie("copyProduct data-structures", [&] {
        made_ = std::make_unique<std::once_flag[]>(product.variables.size());
        probes_.resize(product.variables.size());
    });
}

const ConditioningProbe& TrimmingProbes::of(int sourceSlot) {
    std::call_once(made_[sourceSlot], [&] { probes_[sourceSlot] = probe(product_, product_.variables[sourceSlot]); });
    return probes_[sourceSlot];
}

}  // namespace pedlik

#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "product/product.hpp"

namespace pedlik {

// What conditioning on one variable leaves of the product: in each branch
// the value is fixed and trimming removes every value of the other
// variables that it no longer supports, often most of them in a pedigree.
// A cost model that ignores this overrates every conditioned order by
// orders of magnitude, and then cannot tell a good one from a bad one.
struct ConditioningProbe {
    // The share of the variable's values whose branch trimming does not
    // prove impossible (those branches end at once).
    double liveShare = 1.0;
    // By source variable slot: the mean over the live branches of the values
    // the variable keeps, as a share of its values before.
    std::vector<double> keptShares;
    // Table entries the probe's trimming walked: what it cost.
    double entriesWalked = 0.0;
};

// Probes of one product, each made at its first use by fixing every value
// in turn on a copy of the product and trimming it. Several threads may ask
// at once: each probe is made once, and is the same whoever makes it.
class TrimmingProbes {
public:
    explicit TrimmingProbes(const Product& product);

    const ConditioningProbe& of(int sourceSlot);

private:
    const Product& product_;
    std::unique_ptr<std::once_flag[]> made_;
    std::vector<ConditioningProbe> probes_;
};

}  // namespace pedlik

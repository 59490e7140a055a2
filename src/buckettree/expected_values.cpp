#include "buckettree/expected_values.hpp"

#include <cmath>
#include <vector>

#include "buckettree/branch_selectors.hpp"
#include "buckettree/standalone_function.hpp"
#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "network/assembly_steps.hpp"
#include "product/product.hpp"

namespace pedlik {

namespace {

// The value left to a selector without a variable: the one genotype
// elimination fixed (the node then has one value), the one a branch fixed
// or trimming kept there, or the one value trimming of the pedigree's
// product kept, in the node's numbering, which is the selector's value.
// -1 when none is known.
int fixedValue(const Person& person, const Node& selector, int locus, const BranchSelectors* branch) {
    const bool maternal = selector.name.front() == 'm';
    if (branch != nullptr) {
        const auto found = branch->fixedValues.find(&selector);
        if (found != branch->fixedValues.end()) return found->second;
    }
    if (selector.valueCount == 1) {
        const PersonLocus& data = person.loci[locus];
        return maternal ? data.maternalSelectorValue : data.paternalSelectorValue;
    }
    return selector.survivingValue;
}

// The belief made a probability table; the slot is emptied.
OwnedFunction takeBelief(OwnedFunction& slot) {
    OwnedFunction belief = std::move(slot);
    if (belief != nullptr) NormalizeBelief(*belief);
    return belief;
}

// The probability that a selector with variable differs from `value`, from
// its belief over it alone.
double differsFrom(OwnedFunction& slot, int value, double fallback) {
    const OwnedFunction belief = takeBelief(slot);
    if (belief == nullptr || value < 0) return fallback;
    return belief->probablist[value == 1 ? 0 : 1];
}

}  // namespace

void CountMeioses(const PedigreeList& pedigrees) {
    const int sides = runParameters.isSexLinked == 1 ? 1 : 2;
    meiosisCount = 0;
    for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        for (const Person& person : pedigree->persons) {
            if (person.mother != nullptr) meiosisCount += sides;
        }
    }
}

double RecombinationProbability(const Person& person, Node* s, Node* t, int interval, BranchSelectors* branch) {
    const double theta = runParameters.thetaVals[static_cast<std::size_t>(interval)].theta;
    if (s == nullptr || t == nullptr) return theta;
    const bool sFree = selectorVariable(*s, branch) != nullptr;
    const bool tFree = selectorVariable(*t, branch) != nullptr;
    if (sFree && tFree) {
        // Entries 1 and 2 are the two unequal combinations, in either
        // variable order.
        const OwnedFunction pair = takeBelief(beliefsOf(*s, branch).pair);
        return pair == nullptr ? theta : pair->probablist[1] + pair->probablist[2];
    }
    if (tFree) return differsFrom(beliefsOf(*t, branch).first, fixedValue(person, *s, interval, branch), theta);
    if (sFree) return differsFrom(beliefsOf(*s, branch).single, fixedValue(person, *t, interval + 1, branch), theta);
    const int sValue = fixedValue(person, *s, interval, branch);
    const int tValue = fixedValue(person, *t, interval + 1, branch);
    if (sValue < 0 || tValue < 0) return theta;
    return sValue != tValue ? 1.0 : 0.0;
}

ExpectedCounts noCounts() {
    const std::size_t intervals = static_cast<std::size_t>(std::max(runParameters.lociCount - 1, 0));
    ExpectedCounts counts;
    allocateOrDie("expextvals", [&] {
        counts.recombinations.assign(intervals, 0.0);
        counts.informed.assign(intervals, false);
    });
    return counts;
}

void AddExpectedRecombinations(const Pedigree& pedigree, ExpectedCounts& counts, BranchSelectors* branch) {
    const int intervals = runParameters.lociCount - 1;
    const bool sexLinked = runParameters.isSexLinked == 1;
    // A posterior equal to the prior, the fraction itself, is what a meiosis
    // the data say nothing about gives; a few ulps of rounding are not news.
    const auto note = [&](double posterior, int i) {
        const double prior = runParameters.thetaVals[static_cast<std::size_t>(i)].theta;
        if (std::fabs(posterior - prior) > 1e-12) counts.informed[static_cast<std::size_t>(i)] = true;
        return posterior;
    };
    for (const Person& person : pedigree.persons) {
        if (person.mother == nullptr) continue;
        for (int i = 0; i < intervals; ++i) {
            double expected = note(RecombinationProbability(person, nodeAt(person.maternalSelectorNodes, i),
                                                            nodeAt(person.maternalSelectorNodes, i + 1), i, branch), i);
            if (!sexLinked) {
                expected += note(RecombinationProbability(person, nodeAt(person.paternalSelectorNodes, i),
                                                          nodeAt(person.paternalSelectorNodes, i + 1), i, branch), i);
            }
            counts.recombinations[static_cast<std::size_t>(i)] += expected;
        }
    }
}

double ExpectedValues(const PedigreeList& pedigrees, std::vector<bool>* informed,
                      const std::vector<ExpectedCounts>* given) {
    const int intervals = runParameters.lociCount - 1;
    ExpectedCounts counts = noCounts();
    std::size_t k = 0;
    for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++k) {
        if (given == nullptr || (*given)[k].recombinations.empty()) {
            AddExpectedRecombinations(*pedigree, counts, nullptr);
            continue;
        }
        for (std::size_t i = 0; i < counts.recombinations.size(); ++i) {
            counts.recombinations[i] += (*given)[k].recombinations[i];
            if ((*given)[k].informed[i]) counts.informed[i] = true;
        }
    }
    if (informed != nullptr) {
        for (std::size_t i = 0; i < counts.informed.size(); ++i) {
            if (counts.informed[i]) (*informed)[i] = true;
        }
    }
    const std::vector<double>& expextvals = counts.recombinations;
    double change = 0.0;
    // Without a meiosis the data say nothing about recombination: the
    // fractions stay, and so the loop ends.
    if (meiosisCount == 0) return change;
    for (int i = 0; i < intervals; ++i) {
        ThetaPair& pair = runParameters.thetaVals[static_cast<std::size_t>(i)];
        const double estimate = expextvals[static_cast<std::size_t>(i)] / meiosisCount;
        change += std::fabs((pair.theta - estimate) / pair.theta);
        setTheta(pair, estimate);
    }
    return change / intervals;
}

}  // namespace pedlik

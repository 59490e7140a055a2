#pragma once

#include <vector>

#include "buckettree/branch_selectors.hpp"
#include "input/records.hpp"

namespace pedlik {

// Sets meiosisCount: one meiosis per person and parent whose allele the
// person draws at random, the mother's and, in autosomal data, the
// father's (a daughter's X from her father is his only one).
void CountMeioses(const PedigreeList& pedigrees);

// Expected recombinations in every interval, summed over meioses, and the
// intervals where some meiosis's posterior recombination probability
// differs from the fraction.
struct ExpectedCounts {
    std::vector<double> recombinations;
    std::vector<bool> informed;
};

// Counts of 0 for every interval, none informed ("expextvals").
ExpectedCounts noCounts();

// Adds the pedigree's expected recombinations to `counts`, from the beliefs
// its tree's run left on the nodes or, with `branch`, in the branch; reads
// and releases them.
void AddExpectedRecombinations(const Pedigree& pedigree, ExpectedCounts& counts, BranchSelectors* branch);

// The expectation-maximisation step: every interval's new recombination
// fraction is its expected number of recombinations, over all meioses of
// all pedigrees, divided by meiosisCount; it is written into thetaVals.
// Reads and releases the selector beliefs. Returns the mean, over the
// intervals, of |(old - new) / old|: not a number when an old fraction and
// its new one are both 0, or when there is no interval. Without any meiosis
// the fractions stay as they are and the result is 0. With `informed` (one
// entry per interval), an interval's entry is set when some meiosis's
// posterior recombination probability there differs from the fraction.
// A pedigree with counts in `given` (by list position; empty for the
// others) adds those instead of reading beliefs.
double ExpectedValues(const PedigreeList& pedigrees, std::vector<bool>* informed = nullptr,
                      const std::vector<ExpectedCounts>* given = nullptr);

// The posterior probability that the meiosis whose selectors at loci
// `interval` and `interval` + 1 are `s` and `t` is recombinant there. A
// null selector was released as barren: no observation depends on it, so
// the probability is the fraction itself. Reads and releases the belief
// it uses; with `branch`, the branch's variables, fixed values and beliefs.
double RecombinationProbability(const Person& person, Node* s, Node* t, int interval,
                                BranchSelectors* branch = nullptr);

}  // namespace pedlik

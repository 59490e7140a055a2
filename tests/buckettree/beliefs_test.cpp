// The selector beliefs that bucket-tree elimination leaves on the network's
// nodes, and the expected recombination counts made from them, against the
// brute-force posteriors of the oracle.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>

#include "buckettree/bucket_tree_harness.hpp"
#include "buckettree/expected_values.hpp"
#include "input/process_state.hpp"
#include "network/assembly_steps.hpp"
#include "oracle/enumerator.hpp"
#include "oracle/random_datasets.hpp"
#include "product/original_values.hpp"

namespace pedlik::testing {
namespace {

using oracle::Condition;

Condition selectorIs(int person, int locus, bool paternal, int value) {
    return Condition{Condition::Kind::Selector, person, locus, paternal, value};
}

// The belief as a probability table, entry k for the k-th combination of its
// variables' values (the last fastest).
std::vector<double> normalised(const Function& belief) {
    std::vector<double> entries(belief.probablist.begin(), belief.probablist.end());
    const double sum = std::accumulate(entries.begin(), entries.end(), 0.0);
    for (double& entry : entries) entry /= sum;
    return entries;
}

struct Checked {
    int pair = 0, single = 0, first = 0, intervals = 0;
};

// Compares every belief stored on the selectors of one side of one person.
void checkSelectorBeliefs(const oracle::Dataset& data, int pedigreeIndex, int line, bool paternal,
                          const NodeArray& selectors, Checked& checked, const std::string& where) {
    for (int i = 0; i < runParameters.lociCount; ++i) {
        const Node* node = nodeAt(selectors, i);
        if (node == nullptr) continue;
        const std::string at = where + " locus " + std::to_string(i) + " " + node->name;
        if (node->pairBelief != nullptr) {
            const Function& belief = *node->pairBelief;
            ASSERT_EQ(belief.varCount(), 2) << at;
            const std::vector<double> entries = normalised(belief);
            for (int k = 0; k < 4; ++k) {
                std::array<Condition, 2> both;
                for (int position = 0; position < 2; ++position) {
                    const Variable& variable = *belief.vars[position];
                    const int locus = &variable == node->variable ? i : i + 1;
                    ASSERT_TRUE(locus == i || &variable == node->nextSelector->variable) << at;
                    const int digit = position == 0 ? k / 2 : k % 2;
                    both[position] = selectorIs(line, locus, paternal, originalValue(variable, digit));
                }
                EXPECT_NEAR(entries[k], oracle::jointPosterior(data, pedigreeIndex, both), 1e-9) << at;
            }
            ++checked.pair;
        }
        for (const Function* belief : {node->singleBelief.get(), node->firstBelief.get()}) {
            if (belief == nullptr) continue;
            ASSERT_EQ(belief->varCount(), 1) << at;
            ASSERT_EQ(belief->vars[0], node->variable) << at;
            const std::vector<double> entries = normalised(*belief);
            for (int digit = 0; digit < 2; ++digit) {
                EXPECT_NEAR(entries[digit],
                            oracle::posteriorSelector(data, pedigreeIndex, line, i, paternal,
                                                      originalValue(*node->variable, digit)),
                            1e-9)
                    << at;
            }
            ++(belief == node->singleBelief.get() ? checked.single : checked.first);
        }
    }
}

// Sum over every meiosis of the posterior probability of a recombination
// between internal loci i and i + 1.
double expectedRecombinations(const oracle::Dataset& data, int i) {
    double total = 0.0;
    for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
        const oracle::PedigreeRecord& pedigree = data.pedigrees[p];
        for (int line = 0; line < static_cast<int>(pedigree.persons.size()); ++line) {
            if (pedigree.persons[line].father < 0) continue;
            for (const bool paternal : {false, true}) {
                if (paternal && data.sexLinked) continue;
                for (int value = 0; value < 2; ++value) {
                    const std::array<Condition, 2> differ{selectorIs(line, i, paternal, value),
                                                          selectorIs(line, i + 1, paternal, 1 - value)};
                    total += oracle::jointPosterior(data, p, differ);
                }
            }
        }
    }
    return total;
}

class Beliefs : public ::testing::TestWithParam<bool> {};

TEST_P(Beliefs, EveryStoredBeliefAndEveryExpectedCountIsThePosterior) {
    const bool sexLinked = GetParam();
    Checked checked;
    for (std::uint64_t seed = 1; seed <= 250; ++seed) {
        oracle::TinyOptions options;
        options.sexLinked = sexLinked;
        options.minLoci = 3;
        options.maxLoci = 3;
        options.maxPersons = 4;
        options.geneDropped = seed % 4 != 0;
        const oracle::Dataset data = oracle::randomTinyDataset(seed, options);
        const std::string where = "seed " + std::to_string(seed);
        if (!loadDataset(data)) continue;
        const std::unique_ptr<BucketTreeStage> stage = prepareBucketTrees(85);
        if (stage == nullptr) continue;
        runBucketTrees(*stage);
        // Posteriors exist only for possible pedigrees; value trimming does
        // not find every impossible one.
        bool allPossible = true;
        int p = 0;
        for (Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++p) {
            if (!(oracle::likelihood(data, p) > 0.0)) {
                allPossible = false;
                continue;
            }
            for (int line = 0; line < pedigree->personCount; ++line) {
                const Person& person = pedigree->persons[line];
                if (person.mother == nullptr) continue;
                const std::string who = where + " pedigree " + std::to_string(p) + " person " + std::to_string(line);
                checkSelectorBeliefs(data, p, line, false, person.maternalSelectorNodes, checked, who);
                if (!sexLinked) checkSelectorBeliefs(data, p, line, true, person.paternalSelectorNodes, checked, who);
            }
        }
        if (!allPossible || meiosisCount == 0) continue;
        ExpectedValues(runParameters.pedigrees);
        for (int i = 0; i + 1 < runParameters.lociCount; ++i) {
            EXPECT_NEAR(runParameters.thetaVals[i].theta * meiosisCount, expectedRecombinations(data, i),
                        1e-9 * meiosisCount)
                << where << " interval " << i;
            ++checked.intervals;
        }
    }
    // Every kind of belief must have been met, and many intervals.
    EXPECT_GE(checked.pair, 500);
    EXPECT_GE(checked.single, 4);
    EXPECT_GE(checked.first, 30);
    EXPECT_GE(checked.intervals, 300);
}

INSTANTIATE_TEST_SUITE_P(Data, Beliefs, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "SexLinked" : "Autosomal";
                         });

}  // namespace
}  // namespace pedlik::testing

// Pi messages are computed for all of a bucket's children together, sharing
// the work; each must still be what the child alone needs: the product of
// everything its bucket holds except the child's own lambda message, with
// every variable the child does not know summed out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "buckettree/bucket_tree_harness.hpp"
#include "buckettree/messages.hpp"

namespace pedlik::testing {
namespace {

// The true value (entry times e^logScale) of `function` where each of its
// variables takes the digit `digits` gives it.
double valueAt(const Function& function, const std::map<const Variable*, int>& digits) {
    std::size_t index = 0;
    for (const Variable* variable : function.vars) {
        index = index * static_cast<std::size_t>(variable->valueCount) + static_cast<std::size_t>(digits.at(variable));
    }
    return function.probablist[index] * std::exp(function.logScale);
}

// Whether the two functions hold the same values over the same variables,
// in whatever order, within a relative 1e-10 of the largest.
::testing::AssertionResult sameFunction(const Function& sent, const Function& direct) {
    std::vector<Variable*> a = sent.vars, b = direct.vars;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b) return ::testing::AssertionFailure() << "the variables differ";
    double largest = 0.0;
    for (double entry : direct.probablist) largest = std::max(largest, entry * std::exp(direct.logScale));
    std::map<const Variable*, int> digits;
    for (const Variable* variable : direct.vars) digits[variable] = 0;
    for (std::size_t k = 0; k < direct.tableSize(); ++k) {
        const double want = valueAt(direct, digits);
        const double got = valueAt(sent, digits);
        if (std::fabs(got - want) > 1e-10 * largest) {
            return ::testing::AssertionFailure() << "entry " << k << ": sent " << got << ", direct " << want;
        }
        for (auto it = direct.vars.rbegin(); it != direct.vars.rend(); ++it) {
            if (++digits[*it] < (*it)->valueCount) break;
            digits[*it] = 0;
        }
    }
    return ::testing::AssertionSuccess();
}

// Both ways of reducing a list: small products in one pass (as the tiny
// datasets mostly are), and one variable at a time.
class PiMessages : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PiMessages, EachIsTheBucketsProductWithoutTheChildsLambdaSummedToTheChildsScope) {
    BteSettings settings;
    settings.onePassThreshold = GetParam();
    int compared = 0, manyChildren = 0;
    for (const NamedDataset& dataset : oracleDatasets()) {
        if (!loadDataset(dataset.data)) continue;
        const std::unique_ptr<BucketTreeStage> stage = prepareBucketTrees(85);
        if (stage == nullptr) continue;
        runBucketTrees(*stage, settings);
        for (const std::unique_ptr<BucketTree>& tree : stage->trees) {
            for (const Bucket* bucket : tree->order) {
                for (const Bucket* child : bucket->children) {
                    const auto sent = std::find_if(child->functions.begin(), child->functions.end(),
                                                   [&](const FunctionEntry& entry) { return entry.sender == bucket; });
                    if (sent == child->functions.end()) continue;
                    VarList unknown;
                    for (const VarList* list : {&bucket->otherVars, &bucket->ownVars}) {
                        for (Variable* variable : *list) {
                            if (!inScope(*child, variable)) unknown.push_back(variable);
                        }
                    }
                    const OwnedFunction direct = Belief(GetBucketMessages(*bucket, child), unknown, settings);
                    ASSERT_NE(direct, nullptr) << dataset.name;
                    EXPECT_TRUE(sameFunction(*sent->function, *direct))
                        << dataset.name << ": bucket " << bucket->position << " to child " << child->position;
                    ++compared;
                    manyChildren += bucket->children.size() > 2 ? 1 : 0;
                }
            }
        }
        if (HasFailure()) return;
    }
    // Buckets with several children are where the work is shared.
    EXPECT_GE(compared, 2000);
    EXPECT_GE(manyChildren, 300);
}

INSTANTIATE_TEST_SUITE_P(Reductions, PiMessages, ::testing::Values(BteSettings{}.onePassThreshold, std::size_t{0}),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             return info.param == 0 ? "OneVariableAtATime" : "SmallProductsInOnePass";
                         });

}  // namespace
}  // namespace pedlik::testing

#include "buckettree/bte_run.hpp"

#include <algorithm>
#include <unordered_set>

#include "buckettree/branch_selectors.hpp"
#include "buckettree/messages.hpp"
#include "buckettree/pi_messages.hpp"
#include "buckettree/standalone_function.hpp"
#include "base/allocation.hpp"
#include "input/process_state.hpp"

namespace pedlik {

namespace {

OwnedFunction storable(OwnedFunction belief) {
    belief->intermediate = 0;
    return belief;
}

// A selector's variable is eliminated by the tree while its node still
// points at it: re-estimation may trim a variable away for one iteration.
bool isLiveSelector(const Variable* variable, const BranchSelectors* branch) {
    const Node& node = *variable->node;
    return node.isSelector && selectorVariable(node, branch) == variable;
}

// The buckets that need a pi message: those with a selector belief to form
// in them or below them. The beliefs are all a run leaves to be read, so a
// subtree without selectors gets nothing.
std::unordered_set<const Bucket*> bucketsNeedingPi(const BucketTree& tree, const BranchSelectors* branch) {
    std::unordered_set<const Bucket*> needing;
    // Children have larger positions than their parents: the order from its
    // end sees every child before its parent.
    for (auto it = tree.order.rbegin(); it != tree.order.rend(); ++it) {
        const Bucket& bucket = **it;
        const bool holdsSelector = std::any_of(bucket.ownVars.begin(), bucket.ownVars.end(),
                                               [&](const Variable* variable) { return isLiveSelector(variable, branch); });
        const bool childNeeds = std::any_of(bucket.children.begin(), bucket.children.end(),
                                            [&](const Bucket* child) { return needing.contains(child); });
        if (holdsSelector || childNeeds) allocateOrDie("Bte-RunBte", [&] { needing.insert(&bucket); });
    }
    return needing;
}

const FunctionEntry* sentBy(const FunctionList& list, const Bucket* sender) {
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&](const FunctionEntry& entry) { return entry.sender == sender; });
    return found == list.end() ? nullptr : &*found;
}

bool listedBy(const Variable* variable, const Function& function) { return InVarList(function.vars, variable); }

// What a belief over `first` and `second` (variables of the bucket) is
// formed from. The pi message the bucket sent a child times the lambda
// message it received from it is the bucket's whole product summed down to
// the child's share of its scope: when that share holds both variables, the
// smallest such pair of messages serves instead of everything the bucket
// holds.
FunctionList beliefSource(const Bucket& bucket, const Variable* first, const Variable* second) {
    const FunctionEntry* bestPi = nullptr;
    const FunctionEntry* bestLambda = nullptr;
    for (const Bucket* child : bucket.children) {
        const FunctionEntry* pi = sentBy(child->functions, &bucket);
        if (pi == nullptr || (bestPi != nullptr && pi->function->tableSize() >= bestPi->function->tableSize())) continue;
        const FunctionEntry* lambda = sentBy(bucket.functions, child);
        const auto shares = [&](const Variable* variable) {
            return listedBy(variable, *pi->function) || (lambda != nullptr && listedBy(variable, *lambda->function));
        };
        if (!shares(first) || !shares(second)) continue;
        bestPi = pi;
        bestLambda = lambda;
    }
    if (bestPi == nullptr) return GetBucketMessages(bucket, nullptr);
    FunctionList source;
    allocateOrDie("bte-GetBucketMessages", [&] {
        source.push_back(FunctionEntry{bestPi->function, nullptr, nullptr});
        if (bestLambda != nullptr) source.push_back(FunctionEntry{bestLambda->function, nullptr, nullptr});
    });
    return source;
}

OwnedFunction beliefIn(const Bucket& bucket, Variable* first, Variable* second, const BteSettings& settings) {
    return Belief(beliefSource(bucket, first, second), GetBucketVars(bucket, first, second), settings);
}

// The joint belief over a selector and the next locus's, formed in the
// bucket of the later of the two, which holds the table over both.
OwnedFunction selectorPairBelief(const BucketTree& tree, Variable* selector, Variable* next,
                                 const BteSettings& settings) {
    const LocationRecord& first = *tree.locationOf.at(selector);
    const LocationRecord& second = *tree.locationOf.at(next);
    return beliefIn(*(first.position > second.position ? first : second).bucket, selector, next, settings);
}

void storeBeliefs(const BucketTree& tree, const BteSettings& settings, BranchSelectors* branch) {
    for (const Bucket* bucket : tree.order) {
        for (Variable* variable : bucket->ownVars) {
            if (!isLiveSelector(variable, branch)) continue;
            Node& node = *variable->node;
            SelectorBeliefs& beliefs = beliefsOf(node, branch);
            // A belief of an earlier run must not pass for this run's.
            beliefs = SelectorBeliefs{};
            if (node.nextSelector != nullptr) {
                Variable* next = selectorVariable(*node.nextSelector, branch);
                if (next != nullptr) {
                    beliefs.pair = storable(selectorPairBelief(tree, variable, next, settings));
                } else {
                    beliefs.single = storable(SelectorBelief(*bucket, variable, settings));
                }
            }
            if (node.parentCount > 0 && selectorVariable(*node.parents[0], branch) == nullptr) {
                beliefs.first = storable(SelectorBelief(*bucket, variable, settings));
            }
        }
    }
}

const Function* storedBelief(const SelectorBeliefs& beliefs) {
    if (beliefs.pair != nullptr) return beliefs.pair.get();
    if (beliefs.single != nullptr) return beliefs.single.get();
    return beliefs.first.get();
}

}  // namespace

OwnedFunction SelectorBelief(const Bucket& bucket, Variable* variable, const BteSettings& settings) {
    return beliefIn(bucket, variable, variable, settings);
}

void AddLogLikelihood(const BucketTree& tree, const BteSettings& settings, BranchSelectors* branch) {
    double& total = branch == nullptr ? bteLogLikelihood : branch->logLikelihood;
    for (const Bucket* root : tree.order) {
        if (root->parent != nullptr) continue;
        const Function* belief = nullptr;
        for (Variable* variable : root->ownVars) {
            if (isLiveSelector(variable, branch) && (belief = storedBelief(beliefsOf(*variable->node, branch))) != nullptr) break;
        }
        if (belief != nullptr) {
            total += LogSum(*belief);
            continue;
        }
        // A root left without tables (value trimming turned them all into
        // constants) stands for a likelihood factor of 1.
        const OwnedFunction fresh = SelectorBelief(*root, root->ownVars.front(), settings);
        if (fresh != nullptr) total += LogSum(*fresh);
    }
}


void RunBte(BucketTree& tree, const BteSettings& settings, BranchSelectors* branch) {
    // Every child sends its lambda message before its parent computes its
    // own, and every bucket has its pi message before it sends its children
    // theirs.
    for (auto it = tree.order.rbegin(); it != tree.order.rend(); ++it) GetLambda(**it, settings);
    const std::unordered_set<const Bucket*> needing = bucketsNeedingPi(tree, branch);
    const auto needsPi = [&](const Bucket& child) { return needing.contains(&child); };
    for (Bucket* bucket : tree.order) GetPi(*bucket, needsPi, settings);
    storeBeliefs(tree, settings, branch);
    AddLogLikelihood(tree, settings, branch);
}

void ClearFunctionLists(BucketTree& tree) {
    for (std::unique_ptr<Bucket>& bucket : tree.buckets) bucket->functions.clear();
}

}  // namespace pedlik

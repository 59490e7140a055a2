#include "genotype/downward_pass.hpp"

#include <utility>
#include <vector>

#include "base/allocation.hpp"
#include "genotype/family_links.hpp"

namespace pedlik {

namespace {

// One passDown call in progress: its person, the next child of its chain,
// and a child whose passDown waits until the pass started by
// climbThenPassDown has finished.
struct DownwardCall {
    Person* parent;
    Person* nextChild;
    Person* waitingChild;
};

// The calls in progress, innermost last.
struct DownwardWalk {
    PairAction action;
    std::vector<DownwardCall> calls;
};

void beginPassDown(DownwardWalk& walk, Person& person) {
    person.entered = 1;
    allocateOrDie("traversal stack", [&] { walk.calls.push_back({&person, person.firstChild, nullptr}); });
}

// Climbs the paternal line from `person` to its founder and starts a pass
// there; a line on which someone, or the mother of someone, has been entered
// already is left alone.
void climbThenPassDown(Person& person, DownwardWalk& walk) {
    Person* climber = &person;
    while (climber->father != nullptr) {
        if (climber->father->entered == 1 || climber->mother->entered == 1) return;
        climber = climber->father;
    }
    beginPassDown(walk, *climber);
}

void handleNextChild(DownwardWalk& walk) {
    DownwardCall& call = walk.calls.back();
    Person& parent = *call.parent;
    Person& child = *call.nextChild;
    call.nextChild = nextSibling(child, parent);
    forEachMarkerLocus([&](int locus) { walk.action(parent, child, locus); });
    Person& other = *otherParent(child, parent);
    if (other.entered == 0) {
        // Set before the climb may add a call and move `call`.
        call.waitingChild = &child;
        climbThenPassDown(other, walk);
    } else if (other.done == 1) {
        beginPassDown(walk, child);
    }
    // Otherwise the other parent is in progress higher up, and the child is
    // left to it.
}

}  // namespace

void passDown(Person& start, PairAction action) {
    DownwardWalk walk{action, {}};
    beginPassDown(walk, start);
    while (!walk.calls.empty()) {
        DownwardCall& call = walk.calls.back();
        if (call.waitingChild != nullptr) {
            beginPassDown(walk, *std::exchange(call.waitingChild, nullptr));
        } else if (call.nextChild != nullptr) {
            handleNextChild(walk);
        } else {
            call.parent->done = 1;
            walk.calls.pop_back();
        }
    }
}

void passDownEveryFamily(Pedigree& pedigree, PairAction action) {
    if (pedigree.firstFounder != nullptr) passDown(*pedigree.firstFounder, action);
    for (Person& person : pedigree.persons) {
        if (person.entered == 0 && isFounder(person)) passDown(person, action);
    }
}

}  // namespace pedlik

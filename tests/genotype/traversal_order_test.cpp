// The traversals keep their pending calls on the heap; these tests hold
// them to the person-by-person order of the recursive formulation, run here
// literally on small random pedigrees, and to the reach of each pass.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "genotype/downward_pass.hpp"
#include "genotype/family_links.hpp"
#include "genotype/traversal_flags.hpp"
#include "genotype/upward_pass.hpp"
#include "support/problem_loading.hpp"
#include "support/random_families.hpp"

namespace pedlik::testing {
namespace {

std::vector<std::string> visits;  // what the recording actions saw, in order

void recordPair(Person& parent, Person& child, int locus) {
    visits.push_back(std::to_string(parent.id) + ">" + std::to_string(child.id) + "@" + std::to_string(locus));
}

void recordFinish(Person& person) { visits.push_back("up " + std::to_string(person.id)); }

void recursivePassDown(Person& person);

void recursiveClimbThenPassDown(Person& start) {
    Person* climber = &start;
    while (climber->father != nullptr) {
        if (climber->father->entered == 1 || climber->mother->entered == 1) return;
        climber = climber->father;
    }
    recursivePassDown(*climber);
}

void recursivePassDown(Person& person) {
    person.entered = 1;
    for (Person* child = person.firstChild; child != nullptr; child = nextSibling(*child, person)) {
        forEachMarkerLocus([&](int locus) { recordPair(person, *child, locus); });
        Person& other = *otherParent(*child, person);
        if (other.entered == 0) {
            recursiveClimbThenPassDown(other);
            recursivePassDown(*child);
        } else if (other.done == 1) {
            recursivePassDown(*child);
        }
    }
    person.done = 1;
}

void recursivePassUp(Person& start);

void recursiveDescendAndPassUp(Person& child) {
    Person* below = &child;
    while (below->firstChild != nullptr) {
        below = below->firstChild;
        if (below->entered == 1) return;
    }
    recursivePassUp(*below);
}

void recursivePassUp(Person& start) {
    Person* person = &start;
    for (;;) {
        person->entered = 1;
        for (Person* child = person->firstChild; child != nullptr; child = nextSibling(*child, *person)) {
            if (child->done != 0) continue;
            if (child->entered == 0) recursiveDescendAndPassUp(*child);
            return;
        }
        recordFinish(*person);
        person->done = 1;
        if (person->father != nullptr && person->father->done == 0) recursivePassUp(*person->father);
        if (person->mother == nullptr || person->mother->done == 1) return;
        person = person->mother;
    }
}

struct Traversal {
    std::vector<std::string> order;
    std::vector<std::pair<int, int>> flags;  // entered, done of every person in line order
};

template <typename Run>
Traversal traverse(Run run) {
    Pedigree& pedigree = firstPedigree();
    clearTraversalFlags(pedigree);
    visits.clear();
    run(pedigree);
    Traversal result{visits, {}};
    for (const Person& person : pedigree.persons) result.flags.emplace_back(person.entered, person.done);
    return result;
}

bool everyoneDone(const Traversal& traversal) {
    for (const auto& [entered, done] : traversal.flags) {
        if (entered != 1 || done != 1) return false;
    }
    return true;
}

void loadRandomFamilies(std::mt19937& rng, int familyCount) {
    std::vector<Family> families;
    for (int f = 0; f < familyCount; ++f) {
        families.push_back(randomConnectedFamily(rng, 3 + static_cast<int>(rng() % 14), {2}, false, 0.5));
    }
    loadProblem(markerLocusFile({2}), pedigreeLines(rng, families, 1));
}

TEST(TraversalOrder, HeapKeptPassesVisitLikeTheRecursionOnConnectedPedigrees) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        loadRandomFamilies(rng, 1);
        Pedigree& pedigree = firstPedigree();
        const Traversal expectedDown = traverse([](Pedigree& p) { recursivePassDown(*p.firstFounder); });
        const Traversal down = traverse([](Pedigree& p) { passDown(*p.firstFounder, recordPair); });
        ASSERT_EQ(down.order, expectedDown.order) << "seed " << seed;
        ASSERT_EQ(down.flags, expectedDown.flags) << "seed " << seed;
        const Traversal expectedUp = traverse([](Pedigree& p) { recursivePassUp(*p.firstLeaf); });
        const Traversal up = traverse([](Pedigree& p) { passUp(*p.firstLeaf, recordFinish); });
        ASSERT_EQ(up.order, expectedUp.order) << "seed " << seed;
        ASSERT_EQ(up.flags, expectedUp.flags) << "seed " << seed;
        // In one connected family a single pass reaches everyone, so the
        // restarts for unconnected families never change such a pedigree.
        EXPECT_TRUE(everyoneDone(down)) << "seed " << seed << ", " << pedigree.personCount << " persons";
        EXPECT_TRUE(everyoneDone(up)) << "seed " << seed << ", " << pedigree.personCount << " persons";
    }
}

}  // namespace
}  // namespace pedlik::testing

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "genotype/downward_pass.hpp"
#include "genotype/family_links.hpp"
#include "genotype/traversal_flags.hpp"
#include "genotype/upward_pass.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

// A random connected family of `size` (at least 3) untyped persons: a
// founder couple and their child, then children of any two earlier persons
// of opposite sex (inbreeding and loops included), now and then with a
// founder married in. Lines are shuffled and children chained in a random
// order.
std::string randomFamily(std::mt19937& rng, int size) {
    auto pick = [&](int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); };
    std::vector<std::pair<int, int>> parents{{-1, -1}, {-1, -1}, {0, 1}};
    std::vector<bool> female{false, true, pick(2) == 1};
    auto someone = [&](bool sex) {
        int person = 0;
        do person = pick(static_cast<int>(female.size()));
        while (female[person] != sex);
        return person;
    };
    while (static_cast<int>(female.size()) < size) {
        if (static_cast<int>(female.size()) + 2 <= size && pick(3) == 0) {
            const bool spouseFemale = pick(2);
            const int spouse = static_cast<int>(female.size());
            parents.emplace_back(-1, -1);
            female.push_back(spouseFemale);
            const int partner = someone(!spouseFemale);
            parents.emplace_back(spouseFemale ? partner : spouse, spouseFemale ? spouse : partner);
        } else {
            parents.emplace_back(someone(false), someone(true));
        }
        female.push_back(pick(2) == 1);
    }
    std::vector<int> lineOf(size);
    std::iota(lineOf.begin(), lineOf.end(), 1);
    std::shuffle(lineOf.begin(), lineOf.end(), rng);
    std::vector<int> firstChild(size, 0), nextSibling(2 * size, 0);  // paternal chain, then maternal
    for (int parent = 0; parent < size; ++parent) {
        std::vector<int> children;
        for (int i = 0; i < size; ++i) {
            if (parents[i].first == parent || parents[i].second == parent) children.push_back(i);
        }
        std::shuffle(children.begin(), children.end(), rng);
        for (size_t k = 0; k + 1 < children.size(); ++k) {
            nextSibling[children[k] + (female[parent] ? size : 0)] = lineOf[children[k + 1]];
        }
        if (!children.empty()) firstChild[parent] = lineOf[children.front()];
    }
    std::vector<std::string> lines(size);
    for (int i = 0; i < size; ++i) {
        const auto [father, mother] = parents[i];
        lines[lineOf[i] - 1] = "1 " + std::to_string(lineOf[i]);
        for (int link : {father < 0 ? 0 : lineOf[father], mother < 0 ? 0 : lineOf[mother], firstChild[i],
                         nextSibling[i], nextSibling[i + size]}) {
            lines[lineOf[i] - 1].append(" ").append(std::to_string(link));
        }
        lines[lineOf[i] - 1] += female[i] ? " 2 0  0 0\n" : " 1 0  0 0\n";
    }
    return std::accumulate(lines.begin(), lines.end(), std::string());
}

// The passes keep their pending calls on the heap; they must visit persons
// exactly as the recursive formulation, written out literally here, does.
std::vector<std::string> visits;

void recordPair(Person& parent, Person& child, int) {
    visits.push_back(std::to_string(parent.id) + ">" + std::to_string(child.id));
}

void recordFinish(Person& person) { visits.push_back(std::to_string(person.id)); }

void recursivePassDown(Person& person) {
    person.entered = 1;
    for (Person* child = person.firstChild; child != nullptr; child = nextSibling(*child, person)) {
        recordPair(person, *child, 0);
        Person* other = otherParent(*child, person);
        if (other->entered == 0) {
            while (other->father != nullptr && other->father->entered == 0 && other->mother->entered == 0) {
                other = other->father;
            }
            if (other->father == nullptr) recursivePassDown(*other);
            recursivePassDown(*child);
        } else if (other->done == 1) {
            recursivePassDown(*child);
        }
    }
    person.done = 1;
}

void recursivePassUp(Person* person) {
    for (;;) {
        person->entered = 1;
        for (Person* child = person->firstChild; child != nullptr; child = nextSibling(*child, *person)) {
            if (child->done != 0) continue;
            if (child->entered == 1) return;
            Person* below = child;
            while (below->firstChild != nullptr && below->firstChild->entered == 0) below = below->firstChild;
            if (below->firstChild == nullptr) recursivePassUp(below);
            return;
        }
        recordFinish(*person);
        person->done = 1;
        if (person->father != nullptr && person->father->done == 0) recursivePassUp(person->father);
        if (person->mother == nullptr || person->mother->done == 1) return;
        person = person->mother;
    }
}

// The visits of one pass, then every person's flags: a connected family is
// reached whole by a single pass, so the restarts never change it.
template <typename Pass>
std::vector<std::string> traverse(Pass pass) {
    clearTraversalFlags(firstPedigree());
    visits.clear();
    pass(firstPedigree());
    for (const Person& person : firstPedigree().persons) {
        visits.push_back("flags " + std::to_string(person.entered) + std::to_string(person.done));
        EXPECT_EQ(person.done, 1) << "person " << person.id;
    }
    return visits;
}

TEST(Traversals, VisitLikeTheRecursionAndReachAConnectedFamilyWhole) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        loadProblem(markerLocusFile({2}), randomFamily(rng, 3 + static_cast<int>(rng() % 20)));
        ASSERT_EQ(traverse([](Pedigree& p) { passDown(*p.firstFounder, recordPair); }),
                  traverse([](Pedigree& p) { recursivePassDown(*p.firstFounder); }));
        ASSERT_EQ(traverse([](Pedigree& p) { passUp(*p.firstLeaf, recordFinish); }),
                  traverse([](Pedigree& p) { recursivePassUp(p.firstLeaf); }));
    }
}

}  // namespace
}  // namespace pedlik::testing

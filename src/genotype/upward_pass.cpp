#include "genotype/upward_pass.hpp"

#include <vector>

#include "base/allocation.hpp"
#include "genotype/family_links.hpp"

namespace pedlik {

namespace {

// Every call that continues past a nested passUp is a person waiting for
// its father's pass to return before it moves on to its mother; every other
// nested passUp ends the call that made it, so it simply takes the call's
// place as `next`.
struct UpwardWalk {
    PersonAction finish;
    Person* next;                         // whose passUp runs now; null once a call has returned
    std::vector<Person*> awaitingMother;  // innermost last
};

Person* firstUnfinishedChild(const Person& person) {
    for (Person* child = person.firstChild; child != nullptr; child = nextSibling(*child, person)) {
        if (child->done == 0) return child;
    }
    return nullptr;
}

// Goes down first-child links to a person without children and passes up
// from there, unless the way down meets someone already entered.
void descendAndPassUp(Person& child, UpwardWalk& walk) {
    Person* below = &child;
    while (below->firstChild != nullptr) {
        below = below->firstChild;
        if (below->entered == 1) {
            walk.next = nullptr;
            return;
        }
    }
    walk.next = below;
}

void continueAtMother(const Person& person, UpwardWalk& walk) {
    Person* mother = person.mother;
    walk.next = (mother != nullptr && mother->done == 0) ? mother : nullptr;
}

void visit(Person& person, UpwardWalk& walk) {
    person.entered = 1;
    if (Person* child = firstUnfinishedChild(person)) {
        if (child->entered == 1) {
            walk.next = nullptr;
        } else {
            descendAndPassUp(*child, walk);
        }
        return;
    }
    walk.finish(person);
    person.done = 1;
    if (person.father != nullptr && person.father->done == 0) {
        allocateOrDie("traversal stack", [&] { walk.awaitingMother.push_back(&person); });
        walk.next = person.father;
        return;
    }
    continueAtMother(person, walk);
}

}  // namespace

void passUp(Person& start, PersonAction finish) {
    UpwardWalk walk{finish, &start, {}};
    for (;;) {
        if (walk.next != nullptr) {
            visit(*walk.next, walk);
            continue;
        }
        if (walk.awaitingMother.empty()) return;
        Person* resumed = walk.awaitingMother.back();
        walk.awaitingMother.pop_back();
        continueAtMother(*resumed, walk);
    }
}

void passUpEveryFamily(Pedigree& pedigree, PersonAction finish) {
    if (pedigree.firstLeaf != nullptr) passUp(*pedigree.firstLeaf, finish);
    for (Person& person : pedigree.persons) {
        if (person.entered == 0 && person.firstChild == nullptr) passUp(person, finish);
    }
}

}  // namespace pedlik

#include "input/link_check.hpp"

#include <vector>

#include "base/allocation.hpp"
#include "base/errors.hpp"

namespace pedlik {

namespace {

Person* nextSiblingThrough(const Person& child, const Person& parent) {
    return parent.isFemale ? child.nextMaternalSibling : child.nextPaternalSibling;
}

void checkParents(const Person& person, int pedigreeIndex) {
    if ((person.father == nullptr) != (person.mother == nullptr)) {
        inputError(formatMessage("Person %d of pedigree no. %d has a %s but no %s.\n", person.id, pedigreeIndex,
                                 person.father ? "father" : "mother", person.father ? "mother" : "father"));
    }
    if (person.father != nullptr && person.father->isFemale) {
        inputError(formatMessage("The father of person %d, pedigree no. %d, is person %d, who is not male.\n",
                                 person.id, pedigreeIndex, person.father->id));
    }
    if (person.mother != nullptr && !person.mother->isFemale) {
        inputError(formatMessage("The mother of person %d, pedigree no. %d, is person %d, who is not female.\n",
                                 person.id, pedigreeIndex, person.mother->id));
    }
}

// The chain of a parent's children must end, and hold only that parent's
// children: later stages walk it and take each child's other parent.
void checkChildChain(const Pedigree& pedigree, const Person& parent, int pedigreeIndex) {
    int length = 0;
    for (const Person* child = parent.firstChild; child != nullptr; child = nextSiblingThrough(*child, parent)) {
        if (++length > pedigree.personCount) {
            inputError(formatMessage("The chain of children of person %d, pedigree no. %d, never ends.\n", parent.id,
                                     pedigreeIndex));
        }
        const Person* childsParent = parent.isFemale ? child->mother : child->father;
        if (childsParent != &parent) {
            inputError(formatMessage("Person %d is in the chain of children of person %d, pedigree no. %d, but is "
                                     "not a child of that person.\n",
                                     child->id, parent.id, pedigreeIndex));
        }
    }
}

bool chainHolds(const Person& parent, const Person& person, Person* Person::*nextSibling) {
    for (const Person* child = parent.firstChild; child != nullptr; child = child->*nextSibling) {
        if (child == &person) return true;
    }
    return false;
}

// Depth-first over father and mother links; a person met again while still
// on the path is his or her own ancestor.
void checkNoAncestryLoop(Pedigree& pedigree, int pedigreeIndex) {
    enum : char { unvisited, onPath, finished };
    std::vector<char> state;
    allocateOrDie("people field", [&] { state.assign(pedigree.personCount, unvisited); });
    struct Frame {
        Person* person;
        int parentsTried;
    };
    std::vector<Frame> path;
    auto indexOf = [&](const Person* p) { return static_cast<size_t>(p - pedigree.persons.data()); };
    for (Person& start : pedigree.persons) {
        if (state[indexOf(&start)] != unvisited) continue;
        state[indexOf(&start)] = onPath;
        path.push_back({&start, 0});
        while (!path.empty()) {
            Frame& top = path.back();
            if (top.parentsTried == 2) {
                state[indexOf(top.person)] = finished;
                path.pop_back();
                continue;
            }
            Person* parent = top.parentsTried++ == 0 ? top.person->father : top.person->mother;
            if (parent == nullptr || state[indexOf(parent)] == finished) continue;
            if (state[indexOf(parent)] == onPath) {
                inputError(formatMessage("Person %d of pedigree no. %d is his or her own ancestor.\n", parent->id,
                                         pedigreeIndex));
            }
            state[indexOf(parent)] = onPath;
            allocateOrDie("people field", [&] { path.push_back({parent, 0}); });
        }
    }
}

}  // namespace

void checkLinks(Pedigree& pedigree, int pedigreeIndex) {
    for (const Person& person : pedigree.persons) checkParents(person, pedigreeIndex);
    for (const Person& person : pedigree.persons) checkChildChain(pedigree, person, pedigreeIndex);
    for (const Person& person : pedigree.persons) {
        if (person.father == nullptr) continue;
        if (!chainHolds(*person.father, person, &Person::nextPaternalSibling)) {
            inputError(formatMessage("There is no correpondence between the father-child relation of person %d & "
                                     "person %d",
                                     person.id, person.father->id));
        }
        if (!chainHolds(*person.mother, person, &Person::nextMaternalSibling)) {
            inputError(formatMessage("There is no correpondence between the mother-child relation of person %d & "
                                     "person %d",
                                     person.id, person.mother->id));
        }
    }
    checkNoAncestryLoop(pedigree, pedigreeIndex);
}

}  // namespace pedlik

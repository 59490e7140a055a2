#include "input/link_check.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "input/input_place.hpp"

namespace pedlik {

namespace {

Person* nextSiblingThrough(const Person& child, const Person& parent) {
    return parent.isFemale ? child.nextMaternalSibling : child.nextPaternalSibling;
}

void checkParents(const Pedigree& pedigree, const Person& person, int pedigreeIndex) {
    if ((person.father == nullptr) != (person.mother == nullptr)) {
        inputErrorAt(personPlace(pedigree, person),
                     formatMessage("Person %d of pedigree no. %d has a %s but no %s.\n", person.id, pedigreeIndex,
                                   person.father ? "father" : "mother", person.father ? "mother" : "father"));
    }
    if (person.father != nullptr && person.father->isFemale) {
        inputErrorAt(personPlace(pedigree, person),
                     formatMessage("The father of person %d, pedigree no. %d, is person %d, who is not male.\n",
                                   person.id, pedigreeIndex, person.father->id));
    }
    if (person.mother != nullptr && !person.mother->isFemale) {
        inputErrorAt(personPlace(pedigree, person),
                     formatMessage("The mother of person %d, pedigree no. %d, is person %d, who is not female.\n",
                                   person.id, pedigreeIndex, person.mother->id));
    }
}

// The chain of a parent's children must end, and hold only that parent's
// children: later stages walk it and take each child's other parent.
void checkChildChain(const Pedigree& pedigree, const Person& parent, int pedigreeIndex) {
    int length = 0;
    for (const Person* child = parent.firstChild; child != nullptr; child = nextSiblingThrough(*child, parent)) {
        if (++length > pedigree.personCount) {
            inputErrorAt(personPlace(pedigree, parent),
                         formatMessage("The chain of children of person %d, pedigree no. %d, never ends.\n", parent.id,
                                       pedigreeIndex));
        }
        const Person* childsParent = parent.isFemale ? child->mother : child->father;
        if (childsParent != &parent) {
            inputErrorAt(personPlace(pedigree, parent),
                         formatMessage("Person %d is in the chain of children of person %d, pedigree no. %d, but is "
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
                inputErrorAt(personPlace(pedigree, *parent),
                             formatMessage("Person %d of pedigree no. %d is his or her own ancestor.\n", parent->id,
                                           pedigreeIndex));
            }
            state[indexOf(parent)] = onPath;
            allocateOrDie("people field", [&] { path.push_back({parent, 0}); });
        }
    }
}

}  // namespace

// Person numbers name persons in messages and in the user's own records: a
// repeated one is a typing error that would make both ambiguous.
void checkDistinctIds(const Pedigree& pedigree) {
    std::vector<std::pair<int, int>> byId;  // person number, line position
    allocateOrDie("people field", [&] { byId.reserve(pedigree.persons.size()); });
    for (int j = 0; j < pedigree.personCount; ++j) byId.emplace_back(pedigree.persons[j].id, j);
    std::sort(byId.begin(), byId.end());
    int repeat = pedigree.personCount;  // the first line that repeats a number, and the line it repeats
    int first = 0;
    for (size_t i = 1; i < byId.size(); ++i) {
        if (byId[i].first == byId[i - 1].first && byId[i].second < repeat) {
            repeat = byId[i].second;
            first = byId[i - 1].second;
        }
    }
    if (repeat == pedigree.personCount) return;
    const Person& person = pedigree.persons[repeat];
    inputErrorAt(personPlace(pedigree, person),
                 formatMessage("The person number %d is given twice in one pedigree (first on line %d).\n", person.id,
                               pedigree.persons[first].fileLine));
}

void checkLinks(Pedigree& pedigree, int pedigreeIndex) {
    checkDistinctIds(pedigree);
    for (const Person& person : pedigree.persons) checkParents(pedigree, person, pedigreeIndex);
    for (const Person& person : pedigree.persons) checkChildChain(pedigree, person, pedigreeIndex);
    for (const Person& person : pedigree.persons) {
        if (person.father == nullptr) continue;
        if (!chainHolds(*person.father, person, &Person::nextPaternalSibling)) {
            inputErrorAt(personPlace(pedigree, person),
                         formatMessage("There is no correpondence between the father-child relation of person %d & "
                                       "person %d",
                                       person.id, person.father->id));
        }
        if (!chainHolds(*person.mother, person, &Person::nextMaternalSibling)) {
            inputErrorAt(personPlace(pedigree, person),
                         formatMessage("There is no correpondence between the mother-child relation of person %d & "
                                       "person %d",
                                       person.id, person.mother->id));
        }
    }
    checkNoAncestryLoop(pedigree, pedigreeIndex);
}

}  // namespace pedlik

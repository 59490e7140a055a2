#include "input/premakeped_links.hpp"

#include <unordered_map>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "input/input_place.hpp"
#include "input/link_check.hpp"

namespace pedlik {

namespace {

Person* parentNamed(Pedigree& pedigree, const std::unordered_map<int, Person*>& byId, const Person& child, int id,
                    const char* relation, int pedigreeIndex) {
    if (id == 0) return nullptr;
    const auto found = byId.find(id);
    if (found != byId.end()) return found->second;
    inputErrorAt(personPlace(pedigree, child),
                 formatMessage("The %s of person %d, pedigree no. %d, is person %d, who is not in the pedigree.\n",
                               relation, child.id, pedigreeIndex, id));
}

// Appends `child` to the chain of `parent`'s children, whose last child so
// far is `last` (null: none yet).
void appendChild(Person& parent, Person*& last, Person& child, Person* Person::*nextSibling) {
    if (last == nullptr) {
        parent.firstChild = &child;
    } else {
        last->*nextSibling = &child;
    }
    last = &child;
}

}  // namespace

void linkChildrenInFileOrder(Pedigree& pedigree) {
    for (Person& person : pedigree.persons) {
        person.firstChild = nullptr;
        person.nextPaternalSibling = nullptr;
        person.nextMaternalSibling = nullptr;
    }
    std::unordered_map<const Person*, Person*> lastChild;
    // A parent of the wrong sex is left to the link check, which names it.
    allocateOrDie("people field", [&] {
        for (Person& child : pedigree.persons) {
            if (child.father != nullptr) appendChild(*child.father, lastChild[child.father], child, &Person::nextPaternalSibling);
            if (child.mother != nullptr) appendChild(*child.mother, lastChild[child.mother], child, &Person::nextMaternalSibling);
        }
    });
}

void linkByParentIds(Pedigree& pedigree, const std::vector<PersonLine>& lines, int pedigreeIndex) {
    // Parents are found by number, so the numbers must name one person each.
    checkDistinctIds(pedigree);
    std::unordered_map<int, Person*> byId;
    allocateOrDie("people field", [&] {
        byId.reserve(pedigree.persons.size());
        for (Person& person : pedigree.persons) byId.emplace(person.id, &person);
    });
    for (int j = 0; j < pedigree.personCount; ++j) {
        Person& child = pedigree.persons[j];
        child.father = parentNamed(pedigree, byId, child, lines[j].fatherId, "father", pedigreeIndex);
        child.mother = parentNamed(pedigree, byId, child, lines[j].motherId, "mother", pedigreeIndex);
    }
    linkChildrenInFileOrder(pedigree);
}

}  // namespace pedlik

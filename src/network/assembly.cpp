#include "network/assembly.hpp"

#include <cstdio>
#include <vector>

#include "driver/allocation.hpp"
#include "input/process_state.hpp"
#include "network/person_tables.hpp"
#include "product/function_index.hpp"

namespace pedlik {

namespace {

Person* firstUndoneChild(const Person& person) {
    for (Person* child = person.firstChild; child != nullptr;
         child = person.isFemale ? child->nextMaternalSibling : child->nextPaternalSibling) {
        if (child->done == 0) return child;
    }
    return nullptr;
}

// Follows first children down from `child`; the person without children
// reached is the one to visit, none when the way crosses an entered person.
Person* descendToLeaf(Person* child) {
    for (Person* person = child; person != nullptr; person = person->firstChild) {
        if (person->entered) return nullptr;
        if (person->firstChild == nullptr) return person;
    }
    return nullptr;
}

Person* undoneMother(const Person& person) {
    Person* mother = person.mother;
    return mother != nullptr && mother->done == 0 ? mother : nullptr;
}

void clearTraversalFlags(Pedigree& pedigree) {
    for (Person& person : pedigree.persons) {
        person.entered = 0;
        person.done = 0;
    }
}

}  // namespace

// A visit goes up to the father as a nested visit and then on to the mother
// in the same visit. The nested visits are kept on an explicit stack of the
// persons whose mother is still to be tried, so deep pedigrees cannot
// exhaust the call stack; the order of work is that of the nested visits.
void visitPerson(Person& start, void (*buildTables)(Person&)) {
    std::vector<Person*> awaitingMother;
    Person* person = &start;
    while (true) {
        if (person == nullptr) {
            if (awaitingMother.empty()) return;
            person = undoneMother(*awaitingMother.back());
            awaitingMother.pop_back();
            continue;
        }
        person->entered = 1;
        if (Person* child = firstUndoneChild(*person)) {
            person = child->entered ? nullptr : descendToLeaf(child);
            continue;
        }
        buildTables(*person);
        person->done = 1;
        Person* father = person->father;
        if (father != nullptr && father->done == 0) {
            allocateOrDie("people field", [&] { awaitingMother.push_back(person); });
            person = father;
            continue;
        }
        person = undoneMother(*person);
    }
}

double buildPedigreeTables(Product& product, Pedigree& pedigree, int sexLinked) {
    assembly = AssemblyCounters{&product, 0.0, 0, 0};
    clearTraversalFlags(pedigree);
    void (*buildTables)(Person&) = sexLinked == 1 ? &buildPersonTablesSexLinked : &buildPersonTables;
    visitPerson(*pedigree.firstLeaf, buildTables);
    // Families under one pedigree number that no link joins to the first
    // are each started again from their first person without children.
    for (Person& person : pedigree.persons) {
        if (person.entered == 0 && person.firstChild == nullptr) visitPerson(person, buildTables);
    }
    buildFunctionIndex(product);
    std::printf("\n\nEliminated %d nodes.\n", assembly.eliminatedCount);
    std::printf("%d nodes are constant.\n", assembly.constantCount);
    std::printf("Number of nodes %d.\n", product.variableCount);
    return assembly.logConstant;
}

}  // namespace pedlik

#include "input/loop_breakers.hpp"

#include <cstdio>
#include <map>
#include <utility>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "input/input_place.hpp"
#include "input/link_check.hpp"
#include "input/premakeped_links.hpp"

namespace pedlik {

namespace {

bool sameCandidates(const CandidateList& a, const CandidateList& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].allele != b[k].allele || a[k].mark != b[k].mark) return false;
    }
    return true;
}

// The first locus (internal index) at which the copies' phenotypes differ; -1 when none does.
int firstDifferingLocus(const Person& a, const Person& b) {
    for (size_t r = 0; r < a.loci.size(); ++r) {
        const PersonLocus& x = a.loci[r];
        const PersonLocus& y = b.loci[r];
        if (x.isUnknown != y.isUnknown || x.affectionStatus != y.affectionStatus ||
            x.liabilityClass != y.liabilityClass || !sameCandidates(x.maternalCandidates, y.maternalCandidates) ||
            !sameCandidates(x.paternalCandidates, y.paternalCandidates)) {
            return static_cast<int>(r);
        }
    }
    return -1;
}

// The two line positions carrying each loop-breaker code, in line order.
std::vector<std::pair<int, int>> copyPairs(const Pedigree& pedigree, const std::vector<PersonLine>& lines,
                                           int pedigreeIndex) {
    std::map<int, std::vector<int>> byCode;
    allocateOrDie("people field", [&] {
        for (int j = 0; j < pedigree.personCount; ++j) {
            if (lines[j].proband >= 2) byCode[lines[j].proband].push_back(j);
        }
    });
    std::vector<std::pair<int, int>> pairs;
    for (const auto& entry : byCode) {
        const int code = entry.first;
        const std::vector<int>& positions = entry.second;  // clang 14 lambdas cannot capture structured bindings
        if (positions.size() != 2) {
            const Person& person = pedigree.persons[positions[positions.size() == 1 ? 0 : 2]];
            const int count = static_cast<int>(positions.size());
            inputErrorAt(personPlace(pedigree, person),
                         formatMessage("The loop-breaker code %d is carried by %d person%s of pedigree no. %d, not by "
                                       "the two copies of one person.\n",
                                       code, count, count == 1 ? "" : "s", pedigreeIndex));
        }
        allocateOrDie("people field", [&] { pairs.emplace_back(positions[0], positions[1]); });
    }
    return pairs;
}

void checkCopies(const Pedigree& pedigree, const Person& kept, const Person& copy, int pedigreeIndex) {
    const auto refuse = [&](int r, const std::string& why) {
        inputErrorAt(personPlace(pedigree, copy, r),
                     formatMessage("Person %d and person %d of pedigree no. %d are copies of one loop breaker, but %s.\n",
                                   kept.id, copy.id, pedigreeIndex, why.c_str()));
    };
    if (kept.isFemale != copy.isFemale) refuse(-1, "their sexes differ");
    if (kept.father != nullptr && copy.father != nullptr) refuse(-1, "both have parents");
    if (const int r = firstDifferingLocus(kept, copy); r >= 0) refuse(r, "their phenotypes differ");
}

}  // namespace

bool mergeLoopBreakers(Pedigree& pedigree, const std::vector<PersonLine>& lines, int pedigreeIndex) {
    const std::vector<std::pair<int, int>> pairs = copyPairs(pedigree, lines, pedigreeIndex);
    if (pairs.empty()) return false;
    std::vector<Person*> mergedInto;  // by line position: the person each one becomes
    allocateOrDie("people field", [&] {
        for (Person& person : pedigree.persons) mergedInto.push_back(&person);
    });
    for (const auto& [a, b] : pairs) {
        Person& kept = pedigree.persons[a];
        Person& copy = pedigree.persons[b];
        checkCopies(pedigree, kept, copy, pedigreeIndex);
        if (kept.father == nullptr) {
            kept.father = copy.father;
            kept.mother = copy.mother;
        }
        mergedInto[b] = &kept;
        std::printf("Merged loop-breaker copies: person %d = person %d\n", kept.id, copy.id);
    }
    const auto at = [&](const Person* p) { return p == nullptr ? nullptr : mergedInto[p - pedigree.persons.data()]; };
    std::vector<int> parents;  // line positions of each remaining person's father and mother, -1 for none
    std::vector<Person> remaining;
    allocateOrDie("people field", [&] {
        for (int j = 0; j < pedigree.personCount; ++j) {
            Person& person = pedigree.persons[j];
            if (mergedInto[j] != &person) continue;
            for (const Person* parent : {at(person.father), at(person.mother)}) {
                parents.push_back(parent == nullptr ? -1 : static_cast<int>(parent - pedigree.persons.data()));
            }
        }
    });
    // Line positions shift once the copies leave: map the old to the new.
    std::vector<int> newPosition(pedigree.personCount, -1);
    allocateOrDie("people field", [&] {
        for (int j = 0; j < pedigree.personCount; ++j) {
            if (mergedInto[j] != &pedigree.persons[j]) continue;
            newPosition[j] = static_cast<int>(remaining.size());
            remaining.push_back(std::move(pedigree.persons[j]));
        }
    });
    pedigree.persons = std::move(remaining);
    pedigree.personCount = static_cast<int>(pedigree.persons.size());
    for (int j = 0; j < pedigree.personCount; ++j) {
        Person& person = pedigree.persons[j];
        const int father = parents[2 * j], mother = parents[2 * j + 1];
        person.father = father < 0 ? nullptr : &pedigree.persons[newPosition[father]];
        person.mother = mother < 0 ? nullptr : &pedigree.persons[newPosition[mother]];
    }
    linkChildrenInFileOrder(pedigree);
    pedigree.firstLeaf = nullptr;
    pedigree.firstFounder = nullptr;
    return true;
}

}  // namespace pedlik

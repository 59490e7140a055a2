#include "input/person_reader.hpp"

#include <cstdio>
#include <optional>
#include <string>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "input/input_place.hpp"
#include "input/process_state.hpp"
#include "input/text_reading.hpp"

namespace pedlik {

namespace {

// Where the reader stands, for the numbers of its messages.
struct PersonContext {
    TextStream& stream;
    Pedigree& pedigree;
    int position;                 // 0-based line position inside the pedigree
    int pedigreeIndex;            // 0-based
    std::optional<int> personId;  // once read
};

// At internal locus `r` (none: -1).
InputPlace placeOf(const PersonContext& at, int r = -1) {
    return {at.stream.path, at.stream.tokenLine, r < 0 ? 0 : locusPlace(r), at.pedigree.pedigreeId, at.personId};
}

int requireInt(const PersonContext& at, const char* what, int locus = -1) {
    int value = 0;
    if (readInt(at.stream, value)) return value;
    const std::string where = locus < 0 ? std::string(what) : formatMessage("%s at locus no. %d", what, locus);
    const std::string found = describeNextText(at.stream);
    inputErrorAt(placeOf(at, locus), formatMessage("Expected %s of person no. %d, pedigree no. %d, but found %s.\n",
                                                   where.c_str(), at.position, at.pedigreeIndex, found.c_str()));
}

Person* resolveLink(const PersonContext& at, int value, const char* relation) {
    if (value == 0) return nullptr;
    const int id = *at.personId;
    if (value < 0) {
        inputErrorAt(placeOf(at), formatMessage("The %s of person no. %d, pedigree no. %d, is given as %d; links must "
                                                "not be negative. \n",
                                                relation, id, at.pedigreeIndex, value));
    }
    if (value > at.pedigree.personCount) {
        inputErrorAt(placeOf(at), formatMessage("The %s of person no. %d, pedigree no. %d, doesn't exist. \n", relation,
                                                id, at.pedigreeIndex));
    }
    return &at.pedigree.persons[value - 1];
}

void readAffection(const PersonContext& at, PersonLocus& data, const Locus& locus, int r) {
    const int status = requireInt(at, "the affection status", r);
    if (status < 0 || status > 2) {
        inputErrorAt(placeOf(at, r),
                     formatMessage(
                         "Inappropriate value for affection status in locus no. %d of person no. %d, pedigree no. %d\n",
                         r, at.position, at.pedigreeIndex));
    }
    data.isUnknown = status == 0 ? 1 : 0;
    data.affectionStatus = status;
    data.liabilityClass = 1;
    if (locus.liabilityClassCount <= 1) return;
    const int liabilityClass = requireInt(at, "the liability class", r);
    if (liabilityClass <= 0 || liabilityClass > locus.liabilityClassCount) {
        inputErrorAt(
            placeOf(at, r),
            formatMessage(
                "Inappropriate value for the liability class in locus no. %d of person no. %d, pedigree no. %d\n", r,
                at.position, at.pedigreeIndex));
    }
    data.liabilityClass = liabilityClass;
}

void checkAlleleRange(const PersonContext& at, int allele, int which, const Locus& locus, int r) {
    if (allele >= 0 && allele <= locus.alleleCount) return;
    inputErrorAt(placeOf(at, r),
                 formatMessage("There's an error in allele %d, locus no. %d of person no. %d, pedigree no. %d.\n",
                               which, r, at.position, at.pedigreeIndex));
}

CandidateList singleCandidate(int allele) {
    return allocateOrDie("halfLocusPerson", [&] { return CandidateList{halfLocusPerson{allele, 1}}; });
}

void readAllelePair(const PersonContext& at, PersonLocus& data, const Locus& locus, int r) {
    int a1 = requireInt(at, "allele 1", r);
    int a2 = requireInt(at, "allele 2", r);
    checkAlleleRange(at, a1, 1, locus, r);
    checkAlleleRange(at, a2, 2, locus, r);
    if ((a1 == 0) != (a2 == 0)) {
        inputErrorAt(placeOf(at, r),
                     formatMessage("There's an error in locus no. %d of person no. %d, pedigree no. %d. (1 allele is "
                                   "known and the other unknown)\n",
                                   r, at.position, at.pedigreeIndex));
    }
    if (a1 == 0) {
        data.isUnknown = 1;
        return;
    }
    if (a1 > a2) std::swap(a1, a2);
    data.isUnknown = 0;
    if (a1 == a2) {
        data.paternalCandidates = singleCandidate(a1);
        data.maternalCandidates = singleCandidate(a1);
        return;
    }
    allocateOrDie("halfLocusPerson", [&] {
        data.paternalCandidates = CandidateList{{a1, 0}, {a2, 0}};
        data.maternalCandidates = CandidateList{{a1, 0}, {a2, 0}};
    });
}

// Sex-linked males carry one allele, written "a 0" or "a a".
void readMaleAllele(const PersonContext& at, PersonLocus& data, const Locus& locus, int r) {
    const int a1 = requireInt(at, "allele 1", r);
    const int a2 = requireInt(at, "allele 2", r);
    checkAlleleRange(at, a1, 1, locus, r);
    checkAlleleRange(at, a2, 2, locus, r);
    if (a2 != 0 && a2 != a1) {
        inputErrorAt(placeOf(at, r),
                     formatMessage("There's an error in locus no. %d of person no. %d, pedigree no. %d. (males have a "
                                   "single allele)\n",
                                   r, at.position, at.pedigreeIndex));
    }
    data.isUnknown = a1 == 0 ? 1 : 0;
    if (a1 != 0) data.maternalCandidates = singleCandidate(a1);
}

void readPhenotypeGroup(const PersonContext& at, Person& person, int r) {
    const RunParameters& run = runParameters;
    const Locus& locus = run.loci[r];
    PersonLocus& data = person.loci[r];
    switch (locus.type) {
        case LocusType::AffectionStatus:
            readAffection(at, data, locus, r);
            return;
        case LocusType::TwoLocusTrait:
            // Only the second trait locus carries the trait's observation.
            if (run.traitLocusCount == 2 && r == run.traitLoci[1]) readAffection(at, data, locus, r);
            return;
        case LocusType::NumberedAlleles:
            if (run.isSexLinked == 1 && person.isFemale == 0) {
                readMaleAllele(at, data, locus, r);
            } else {
                readAllelePair(at, data, locus, r);
            }
            return;
    }
}

NodeArray emptyNodeArray(const char* label) {
    return allocateOrDie(label, [] { return NodeArray(runParameters.lociCount); });
}

void allocateNodeArrays(Person& person) {
    person.maternalAlleleNodes = emptyNodeArray("node arrays");
    person.maternalSelectorNodes = emptyNodeArray("node arrays");
    person.phenotypeNodes = emptyNodeArray("node arrays");
    const bool hasPaternalSide = runParameters.isSexLinked == 0 || person.isFemale == 1;
    if (!hasPaternalSide) return;
    if (runParameters.isSexLinked == 0) person.paternalSelectorNodes = emptyNodeArray("node array");
    person.paternalAlleleNodes = emptyNodeArray("node array");
}

}  // namespace

PersonLine readPerson(TextStream& stream, Pedigree& pedigree, int position, int pedigreeIndex, PedigreeFormat format) {
    PersonContext at{stream, pedigree, position, pedigreeIndex, std::nullopt};
    Person& person = pedigree.persons[position];
    requireInt(at, "the pedigree number");
    person.fileLine = stream.tokenLine;
    person.id = requireInt(at, "the person number");
    at.personId = person.id;
    PersonLine line;
    int sex = 0;
    if (format == PedigreeFormat::PreMakeped) {
        line.fatherId = requireInt(at, "the father");
        line.motherId = requireInt(at, "the mother");
        sex = requireInt(at, "the sex");
    } else {
        const int father = requireInt(at, "the father");
        const int mother = requireInt(at, "the mother");
        const int firstChild = requireInt(at, "the first child");
        const int nextPaternal = requireInt(at, "the next paternal sibling");
        const int nextMaternal = requireInt(at, "the next maternal sibling");
        sex = requireInt(at, "the sex");
        line.proband = requireInt(at, "the ninth number");
        person.father = resolveLink(at, father, "father");
        person.mother = resolveLink(at, mother, "mother");
        person.firstChild = resolveLink(at, firstChild, "first child");
        person.nextPaternalSibling = resolveLink(at, nextPaternal, "next paternal sibling");
        person.nextMaternalSibling = resolveLink(at, nextMaternal, "next maternal sibling");
    }
    if (sex != 1 && sex != 2) inputErrorAt(placeOf(at), formatMessage("Invalid sex: %d (1 is male, 2 female).\n", sex));
    person.isFemale = sex == 1 ? 0 : 1;

    allocateOrDie("person's loci array", [&] { person.loci.assign(runParameters.lociCount, PersonLocus{}); });
    for (int k = 0; k < runParameters.lociCount; ++k) readPhenotypeGroup(at, person, runParameters.lociOrder[k] - 1);

    person.entered = 0;
    person.done = 0;
    allocateNodeArrays(person);
    skipRestOfLine(stream);
    return line;
}

}  // namespace pedlik

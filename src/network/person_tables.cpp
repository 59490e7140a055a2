#include "network/person_tables.hpp"

#include <algorithm>

#include "input/process_state.hpp"
#include "network/assembly_steps.hpp"
#include "network/probability_tables.hpp"
#include "network/value_lists.hpp"

namespace pedlik {

namespace {

// One side of a person's inheritance: the allele received from one parent and
// the selector that says which of that parent's alleles it was.
struct Side {
    bool paternal;
    Person* parent;
    NodeArray& alleleNodes;
    NodeArray* selectorNodes;  // null in sex-linked data, which has no paternal selectors
};

Side paternalSide(Person& person) {
    return {true, person.father, person.paternalAlleleNodes, &person.paternalSelectorNodes};
}

Side maternalSide(Person& person) {
    return {false, person.mother, person.maternalAlleleNodes, &person.maternalSelectorNodes};
}

void buildPhenotypeTable(Person& person, int i) {
    Node* ph = nodeAt(person.phenotypeNodes, i);
    if (ph == nullptr) return;
    const RunParameters& run = runParameters;
    const Locus& locus = run.loci[i];
    const PersonLocus& observed = person.loci[i];
    Node* pl = nodeAt(person.paternalAlleleNodes, i);
    Node* ml = nodeAt(person.maternalAlleleNodes, i);
    const bool sexLinkedMale = run.isSexLinked == 1 && person.isFemale == 0;
    const bool founderAtZero = person.father == nullptr && !sexLinkedMale;
    switch (locus.type) {
        case LocusType::NumberedAlleles:
            wireParents(*ph, {pl, ml});
            addPhenotypeFunction(*ph, heterozygoteTable());
            return;
        case LocusType::AffectionStatus:
            if (sexLinkedMale) {
                wireParents(*ph, {ml});
                addPhenotypeFunction(*ph, maleAffectionTable(locus, observed));
            } else if (founderAtZero && i == 0) {
                ++pl->childCount;
                ++ml->childCount;
                wireParents(*ph, {person.genotypeNode.get()});
                addPhenotypeFunction(*ph, founderAffectionTable(locus, observed));
            } else {
                wireParents(*ph, {pl, ml});
                addPhenotypeFunction(*ph, affectionTable(locus, observed));
            }
            return;
        case LocusType::TwoLocusTrait: {
            const int a = run.traitLoci[0];
            const int b = run.traitLoci[1];
            Node* mlA = nodeAt(person.maternalAlleleNodes, a);
            Node* mlB = nodeAt(person.maternalAlleleNodes, b);
            if (sexLinkedMale) {
                wireParents(*ph, {mlA, mlB});
                addPhenotypeFunction(*ph, maleTwoLocusTable(locus, observed));
                return;
            }
            Node* plA = nodeAt(person.paternalAlleleNodes, a);
            Node* plB = nodeAt(person.paternalAlleleNodes, b);
            if (!founderAtZero || (a != 0 && b != 0)) {
                wireParents(*ph, {plA, mlA, plB, mlB});
                addPhenotypeFunction(*ph, twoLocusTable(locus, observed));
                return;
            }
            for (Node* allele : {plA, mlA, plB, mlB}) ++allele->childCount;
            const int other = a != 0 ? a : b;
            wireParents(*ph, {person.genotypeNode.get(), nodeAt(person.paternalAlleleNodes, other),
                              nodeAt(person.maternalAlleleNodes, other)});
            addPhenotypeFunction(*ph, founderTwoLocusTable(locus, observed));
            return;
        }
    }
}

// A founder's genotype table at locus 0; the ge stands for the founder's
// two allele nodes there.
void buildFounderGenotypeTable(Person& founder, int paternalValueCount) {
    const PersonLocus& data = founder.loci[0];
    keepOrFold(*founder.genotypeNode, founderGenotypeTable(runParameters.loci[0], alleleValues(founder, 0, true),
                                                           paternalValueCount, data.isUnknown));
}

void buildTransmissionTable(Person& person, const Side& side, int i) {
    Node& allele = *nodeAt(side.alleleNodes, i);
    Person& parent = *side.parent;
    Node* selector = nodeAt(*side.selectorNodes, i);
    const std::vector<int> values = alleleValues(person, i, side.paternal);
    const std::vector<int> selectorList = selectorValues(person, i, side.paternal);
    // As many selector values as the selector node has.
    const size_t used = std::min(selectorList.size(), static_cast<size_t>(selector->valueCount));
    const std::vector<int> selectorUsed(selectorList.begin(), selectorList.begin() + static_cast<long>(used));
    Node* parentPl = nodeAt(parent.paternalAlleleNodes, i);
    Node* parentMl = nodeAt(parent.maternalAlleleNodes, i);
    if (i == 0 && parent.father == nullptr) {
        ++parentPl->childCount;
        ++parentMl->childCount;
        wireParents(allele, {parent.genotypeNode.get(), selector});
        keepOrFold(allele, founderTransmissionTable(values, founderGenotypes(parent, parentPl->valueCount), selectorUsed));
        return;
    }
    wireParents(allele, {parentPl, parentMl, selector});
    keepOrFold(allele, transmissionTable(values, alleleValues(parent, i, true), alleleValues(parent, i, false),
                                         selectorUsed));
}

// A sex-linked daughter's allele from her father is his only allele.
void buildPaternalXTable(Person& daughter, int i) {
    Node& allele = *nodeAt(daughter.paternalAlleleNodes, i);
    Person& father = *daughter.father;
    wireParents(allele, {nodeAt(father.maternalAlleleNodes, i)});
    keepOrFold(allele, paternalXTable(alleleValues(daughter, i, true), alleleValues(father, i, false)));
}

// A founder typed at locus 0 whose allele nodes there are barren still owes
// its genotype's frequency; untyped, its genotype table sums to one.
void foldBarrenFounderGenotype(Person& person, const Side& side, int i) {
    if (!side.paternal || side.parent != nullptr || i != 0) return;
    if (person.genotypeNode == nullptr || person.genotypeNode->valueCount != 1) return;
    // The released pl_0 had one value per paternal candidate.
    buildFounderGenotypeTable(person, static_cast<int>(alleleValues(person, 0, true).size()));
}

// Step of one allele node: released when barren, else its table. A node
// released by an earlier assembly of the same pedigree is absent, and owes
// what it owed when it was released.
void buildAlleleTable(Person& person, const Side& side, int i) {
    Node* allele = nodeAt(side.alleleNodes, i);
    if (allele == nullptr || releaseIfBarren(side.alleleNodes, i)) {
        foldBarrenFounderGenotype(person, side, i);
        return;
    }
    const int valueCount = allele->valueCount;
    const bool sexLinked = runParameters.isSexLinked == 1;
    const bool sexLinkedMale = sexLinked && person.isFemale == 0;
    if (side.parent != nullptr && sexLinked && side.paternal) {
        buildPaternalXTable(person, i);
    } else if (side.parent != nullptr) {
        buildTransmissionTable(person, side, i);
    } else if (i > 0 || sexLinkedMale) {
        keepOrFold(*allele, founderAlleleTable(runParameters.loci[i], alleleValues(person, i, side.paternal)));
    } else if (side.paternal) {
        buildFounderGenotypeTable(person, valueCount);
    }
    countIfConstant(*allele);
}

void buildSelectorTable(Person& person, const Side& side, int i) {
    NodeArray& selectors = *side.selectorNodes;
    Node* selector = nodeAt(selectors, i);
    if (selector == nullptr) return;
    if (i == 0) {
        keepOrFold(*selector, firstSelectorTable(selector->valueCount));
    } else {
        Node* previous = nodeAt(selectors, i - 1);
        wireParents(*selector, {previous});
        previous->nextSelector = selector;
        keepOrFold(*selector, selectorTable(selectorValues(person, i - 1, side.paternal),
                                            selectorValues(person, i, side.paternal), runParameters.thetaVals[i - 1]));
    }
    selector->isSelector = 1;
    countIfConstant(*selector);
}

}  // namespace

void buildPersonTables(Person& person) {
    const Side paternal = paternalSide(person);
    const Side maternal = maternalSide(person);
    for (int i = runParameters.lociCount - 1; i >= 0; --i) {
        buildPhenotypeTable(person, i);
        buildAlleleTable(person, paternal, i);
        buildSelectorTable(person, paternal, i);
        buildAlleleTable(person, maternal, i);
        buildSelectorTable(person, maternal, i);
    }
}

void buildPersonTablesSexLinked(Person& person) {
    const Side paternal = paternalSide(person);
    const Side maternal = maternalSide(person);
    for (int i = runParameters.lociCount - 1; i >= 0; --i) {
        buildPhenotypeTable(person, i);
        if (person.isFemale == 1) buildAlleleTable(person, paternal, i);
        buildAlleleTable(person, maternal, i);
        Node* selector = nodeAt(person.maternalSelectorNodes, i);
        if (selector != nullptr && !releaseIfBarren(person.maternalSelectorNodes, i)) {
            buildSelectorTable(person, maternal, i);
        }
    }
}

}  // namespace pedlik

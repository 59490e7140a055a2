#include "network/network_nodes.hpp"

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "input/process_state.hpp"
#include "network/candidate_arrays.hpp"
#include "network/founder_genotypes.hpp"
#include "network/node_creation.hpp"

namespace pedlik {

namespace {

OwnedNode createNamedNode(const char* prefix, const Person& person, int locus, int valueCount, int parentCount) {
    auto node = newNode(valueCount, parentCount);
    allocateOrDie("node", [&] { node->name = formatMessage("%s_%d_%d", prefix, person.id, locus); });
    return node;
}

// A selector that genotype elimination fixed keeps its one value; at an
// affection-status locus both values always stay.
int selectorValueCount(LocusType type, int state) {
    return type != LocusType::AffectionStatus && state == selectorFixed ? 1 : 2;
}

// At a numbered-allele locus the values of an allele node are its
// candidates, which become the allele array here.
int alleleValueCount(PersonLocus& data, LocusType type, int paternal) {
    if (type != LocusType::NumberedAlleles) return 2;
    const int count = candidateCount(paternal ? data.paternalCandidates : data.maternalCandidates);
    candidatesToArray(data, count, paternal);
    return count;
}

// An allele received from `parent` depends on the parent's two allele nodes
// and the selector, or on the parent's genotype node and the selector where
// that node stands for a founder's locus-0 alleles.
int receivedAlleleParentCount(const Person* parent, int locus) {
    if (parent == nullptr) return 0;
    return locus == 0 && parent->father == nullptr ? 2 : 3;
}

// 0 when the person has no phenotype node at the locus. `carriesTwoAlleles`
// is false only for males of sex-linked data, whose phenotype depends on
// their one allele node per locus.
int phenotypeParentCount(const Person& person, int locus, bool carriesTwoAlleles, int maternalValueCount) {
    if (person.loci[locus].isUnknown != 0) return 0;
    const bool hasGenotypeNode = carriesTwoAlleles && person.father == nullptr;
    const int* traitLoci = runParameters.traitLoci;
    switch (runParameters.loci[locus].type) {
        case LocusType::NumberedAlleles:
            // Only a heterozygote's observation says more than its allele
            // nodes do; a founder's locus-0 genotype node holds its typing.
            return (person.father != nullptr || locus > 0) && maternalValueCount == 2 ? 2 : 0;
        case LocusType::AffectionStatus:
            if (!carriesTwoAlleles) return 1;
            return hasGenotypeNode && locus == 0 ? 1 : 2;
        case LocusType::TwoLocusTrait:
            // The trait is observed once, at its second locus.
            if (locus != traitLoci[1]) return 0;
            if (!carriesTwoAlleles) return 2;
            return hasGenotypeNode && (traitLoci[0] == 0 || traitLoci[1] == 0) ? 3 : 4;
    }
    return 0;
}

// Creates the person's nodes at one locus, in the order ps, pl, ms, ph, ml,
// ge, and returns how many network variables they add.
int createLocusNodes(Person& person, int locus, bool sexLinked) {
    const LocusType type = runParameters.loci[locus].type;
    PersonLocus& data = person.loci[locus];
    const bool carriesTwoAlleles = !sexLinked || person.isFemale;
    const int selectorParents = locus == 0 ? 0 : 1;  // the selector at the locus before
    int added = 0;
    if (!sexLinked && person.father != nullptr) {
        person.paternalSelectorNodes[locus] =
            createNamedNode("ps", person, locus, selectorValueCount(type, data.paternalSelectorState), selectorParents);
        ++added;
    }
    if (carriesTwoAlleles) {
        // A sex-linked daughter's paternal allele is her father's only one.
        const int parents = sexLinked ? (person.father != nullptr ? 1 : 0)
                                      : receivedAlleleParentCount(person.father, locus);
        person.paternalAlleleNodes[locus] =
            createNamedNode("pl", person, locus, alleleValueCount(data, type, 1), parents);
        ++added;
    }
    if (person.mother != nullptr) {
        person.maternalSelectorNodes[locus] =
            createNamedNode("ms", person, locus, selectorValueCount(type, data.maternalSelectorState), selectorParents);
        ++added;
    }
    const int maternalValueCount = alleleValueCount(data, type, 0);
    if (const int parents = phenotypeParentCount(person, locus, carriesTwoAlleles, maternalValueCount); parents > 0) {
        person.phenotypeNodes[locus] = createNamedNode("ph", person, locus, 1, parents);
        ++added;
    }
    person.maternalAlleleNodes[locus] = createNamedNode("ml", person, locus, maternalValueCount,
                                                        receivedAlleleParentCount(person.mother, locus));
    ++added;
    if (locus == 0 && carriesTwoAlleles && person.father == nullptr) {
        person.genotypeNode = createNamedNode("ge", person, 0, founderGenotypeCount(person, 0), 0);
        --added;  // it stands for the founder's pl and ml, counted above
    }
    return added;
}

int createNodesOfPedigree(Pedigree& pedigree, bool sexLinked) {
    int count = 0;
    for (Person& person : pedigree.persons) {
        for (int locus = 0; locus < runParameters.lociCount; ++locus) count += createLocusNodes(person, locus, sexLinked);
    }
    return count;
}

void createNodesOfEveryPedigree(PedigreeList& pedigrees, bool sexLinked) {
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        pedigree->nodeCount = createNodesOfPedigree(*pedigree, sexLinked);
    }
}

}  // namespace

int createPedigreeNodes(Pedigree& pedigree) { return createNodesOfPedigree(pedigree, false); }

int createPedigreeNodesSexLinked(Pedigree& pedigree) { return createNodesOfPedigree(pedigree, true); }

void createNetworkNodes(PedigreeList& pedigrees) { createNodesOfEveryPedigree(pedigrees, false); }

void createNetworkNodesSexLinked(PedigreeList& pedigrees) { createNodesOfEveryPedigree(pedigrees, true); }

}  // namespace pedlik

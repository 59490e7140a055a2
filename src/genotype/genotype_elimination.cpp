#include "genotype/genotype_elimination.hpp"

#include "genotype/candidate_filling.hpp"
#include "genotype/child_pruning.hpp"
#include "genotype/downward_pass.hpp"
#include "genotype/selector_fixing.hpp"
#include "genotype/transmission_marks.hpp"
#include "genotype/traversal_flags.hpp"
#include "genotype/upward_pass.hpp"
#include "input/process_state.hpp"

namespace pedlik {

namespace {

// Where sex-linked data differ from autosomal data; the sequence of passes
// is the same.
struct EliminationRules {
    PairAction prune;
    PersonAction fill;
    PersonAction reduce;
    PairAction fixSelectors;
};

// A single sequence, not repeated until nothing changes: the pass down
// narrows children from their parents, the pass up narrows parents from
// their children, a second pass down carries that back down, and a last one
// fixes the selectors.
void eliminatePedigreeGenotypes(Pedigree& pedigree, const EliminationRules& rules) {
    passDownEveryFamily(pedigree, rules.prune);
    for (Person& person : pedigree.persons) {
        person.entered = 0;
        person.done = 0;
        rules.fill(person);
    }
    passUpEveryFamily(pedigree, rules.reduce);
    clearTraversalFlags(pedigree);
    passDownEveryFamily(pedigree, rules.prune);
    clearTraversalFlags(pedigree);
    passDownEveryFamily(pedigree, rules.fixSelectors);
}

void eliminateInEveryPedigree(PedigreeList& pedigrees, const EliminationRules& rules) {
    runParameters.currentPedigreeIndex = 0;
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        eliminatePedigreeGenotypes(*pedigree, rules);
        ++runParameters.currentPedigreeIndex;
    }
}

}  // namespace

void eliminateGenotypes(PedigreeList& pedigrees) {
    eliminateInEveryPedigree(pedigrees, {pruneChild, fillCandidates, reduceByTransmissions, fixSelectors});
}

void eliminateGenotypesSexLinked(PedigreeList& pedigrees) {
    eliminateInEveryPedigree(pedigrees, {pruneChildSexLinked, fillCandidatesSexLinked, reduceByTransmissionsSexLinked,
                                         fixSelectorsSexLinked});
}

}  // namespace pedlik

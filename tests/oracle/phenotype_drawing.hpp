#pragma once

#include "oracle/dataset.hpp"
#include "oracle/random_source.hpp"

// Phenotypes for a pedigree whose structure and loci are already set.
namespace pedlik::oracle {

struct TypingRates {
    double marker = 0.7;  // chance that a person is typed at a marker
    double status = 0.7;  // chance that an affection (or trait) status is known
};

// Drops genes from the founders down under the dataset's own model (allele
// frequencies, theta between adjacent loci, penetrances by liability class)
// and observes them, so the data are consistent and their likelihood is
// positive. With `observeEveryLocus` one person more is observed wherever
// nobody was.
void dropGenes(const Dataset& dataset, PedigreeRecord& pedigree, RandomSource& random, const TypingRates& rates,
               bool observeEveryLocus);

// Draws every phenotype independently of the pedigree: often inconsistent.
void drawRandomPhenotypes(const Dataset& dataset, PedigreeRecord& pedigree, RandomSource& random,
                          const TypingRates& rates);

}  // namespace pedlik::oracle

#pragma once

#include <vector>

#include "oracle/dataset.hpp"

// Inheritance vectors: one bit per meiosis says which of the parent's two
// alleles was passed on (1 = the parent's paternal one, 0 = the maternal
// one). Given the bits, every allele of every person is a copy of one
// founder allele; the enumerator sums over the bits and, per locus, over the
// values of the founder alleles.
namespace pedlik::oracle {

struct Descent {
    int meiosisCount = 0;
    int founderAlleleCount = 0;
    std::vector<int> parentsFirst;  // persons, every parent before its children
    // Per person: the bit of the meiosis from the father / mother, or -1
    // (founders; in sex-linked data a father passes his single allele to
    // daughters without choice and nothing to sons).
    std::vector<int> paternalMeiosis;
    std::vector<int> maternalMeiosis;
    // Per founder: the founder allele of its paternal / maternal half, or -1
    // (non-founders; a sex-linked male has no paternal half).
    std::vector<int> paternalFounderAllele;
    std::vector<int> maternalFounderAllele;
};

// Expects a validated dataset.
Descent describeDescent(const Dataset& dataset, const PedigreeRecord& pedigree);

// The founder allele that each person's paternal and maternal allele copies
// under the inheritance vector `bits`; -1 for a half that does not exist.
void traceAlleles(const Descent& descent, const PedigreeRecord& pedigree, bool sexLinked, unsigned bits,
                  std::vector<int>& paternalSource, std::vector<int>& maternalSource);

}  // namespace pedlik::oracle

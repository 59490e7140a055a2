#include "network/founder_genotypes.hpp"

#include "input/process_state.hpp"
#include "network/node.hpp"

namespace pedlik {

int founderGenotypeCount(const Person& person, int locus) {
    if (runParameters.loci[locus].type != LocusType::NumberedAlleles) return 3;
    if (person.loci[locus].isUnknown == 0) return 1;
    const int alleles = person.paternalAlleleNodes[locus]->valueCount;
    return alleles * (alleles + 1) / 2;
}

}  // namespace pedlik

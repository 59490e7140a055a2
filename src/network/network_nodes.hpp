#pragma once

#include "input/records.hpp"

namespace pedlik {

// Creates the network nodes of every person of the pedigree at every locus
// (selectors, inherited alleles, phenotypes and the founders' locus-0
// genotypes), turns the candidate lists into allele arrays, and returns the
// number of network variables, a founder's locus-0 allele pair counting as
// one with its genotype node.
int createPedigreeNodes(Pedigree& pedigree);

// The same for sex-linked data: a male carries one allele, from his mother,
// and a daughter always receives her father's allele, so there are no
// paternal selectors and males have no paternal allele.
int createPedigreeNodesSexLinked(Pedigree& pedigree);

// Every pedigree in list order gets its nodes and its `nodeCount`.
void createNetworkNodes(PedigreeList& pedigrees);
void createNetworkNodesSexLinked(PedigreeList& pedigrees);

}  // namespace pedlik

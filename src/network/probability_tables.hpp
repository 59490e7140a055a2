#pragma once

#include <vector>

#include "input/records.hpp"
#include "network/value_lists.hpp"
#include "product/product.hpp"

namespace pedlik {

// Conditional probability tables of the network nodes. Every table is indexed
// by the values of [node, parent 1, parent 2, ...], row-major with the last
// listed variable running fastest; phenotype nodes have one value, so their
// tables run over the parents alone.

// pl or ml of a person without that parent: the allele frequencies.
Table founderAlleleTable(const Locus& locus, const std::vector<int>& alleles);
// ge of a founder at locus 0: the frequency of each genotype of its list.
Table founderGenotypeTable(const Locus& locus, const std::vector<int>& paternalAlleles, int paternalValueCount,
                           int isUnknown);
// ps or ms at locus 0: both values equally likely.
Table firstSelectorTable(int valueCount);
// ps or ms at locus i > 0 given the same side's selector at locus i - 1.
Table selectorTable(const std::vector<int>& previousValues, const std::vector<int>& values, const ThetaPair& theta);
// pl or ml given the parent's pl, the parent's ml and the person's selector.
Table transmissionTable(const std::vector<int>& alleles, const std::vector<int>& parentPaternal,
                        const std::vector<int>& parentMaternal, const std::vector<int>& selector);
// pl or ml at locus 0 given the founder parent's ge and the person's selector.
Table founderTransmissionTable(const std::vector<int>& alleles, const std::vector<OrderedGenotype>& parentGenotypes,
                               const std::vector<int>& selector);
// A sex-linked daughter's pl given her father's only allele.
Table paternalXTable(const std::vector<int>& alleles, const std::vector<int>& fatherAlleles);
// ph of a typed heterozygote given pl and ml.
Table heterozygoteTable();
// ph at an affection-status locus given pl and ml.
Table affectionTable(const Locus& locus, const PersonLocus& observed);
// ph at locus 0 of a founder given its ge.
Table founderAffectionTable(const Locus& locus, const PersonLocus& observed);
// ph of a sex-linked male given his only allele.
Table maleAffectionTable(const Locus& locus, const PersonLocus& observed);
// ph at the second trait locus given pl, ml of the first and pl, ml of the
// second trait locus; `traitTable` is the second trait locus's record.
Table twoLocusTable(const Locus& traitTable, const PersonLocus& observed);
// ph of a founder given its ge at one trait locus and pl, ml of the other.
Table founderTwoLocusTable(const Locus& traitTable, const PersonLocus& observed);
// ph of a sex-linked male given his alleles at the two trait loci.
Table maleTwoLocusTable(const Locus& traitTable, const PersonLocus& observed);

}  // namespace pedlik

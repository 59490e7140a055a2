#pragma once

#include <initializer_list>

#include "input/records.hpp"

namespace pedlik {

// Small operations on candidate lists that keep them ascending and free of
// duplicates.

bool hasAllele(const CandidateList& list, int allele);

// Marks the node holding `allele`, when the list has one.
void markAllele(CandidateList& list, int allele);

// A list narrowed to one node makes that allele certain, which the mark
// records.
void markIfSingle(CandidateList& list);

// An empty `target` becomes an unmarked copy of `source`; otherwise every
// allele of `source` that `target` lacks is inserted, unmarked, at its
// ascending position.
void mergeCandidates(CandidateList& target, const CandidateList& source);

// The list keeps only as many leading nodes as `alleles` holds, which now
// hold these alleles (given in ascending order); their marks stay.
void keepFirstNodesAs(CandidateList& list, std::initializer_list<int> alleles);

}  // namespace pedlik

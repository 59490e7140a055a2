#pragma once

#include <string>

#include "oracle/dataset.hpp"

namespace pedlik::oracle {

// The two input files of pedlik for a dataset: the locus data file with a
// comment after the numbers of every line that may carry one, and the
// pedigree file with persons numbered 1..n in line order and the child and
// sibling links computed from the parents. A sex-linked male is written
// "a 0". Both validate the dataset first (std::invalid_argument).
std::string toPedlikLocusFile(const Dataset& dataset);
std::string toPedlikPedigreeFile(const Dataset& dataset);

// The same problem for FASTLINK. Its order line means the inverse mapping,
// so only orders that are their own inverse are accepted, and it has no
// two-locus trait (both std::invalid_argument); a sex-linked male is written
// "a a".
std::string toLinkageLocusFile(const Dataset& dataset);
std::string toLinkagePedigreeFile(const Dataset& dataset);

// Shortest text that reads back as exactly `value`.
std::string formatReal(double value);

}  // namespace pedlik::oracle

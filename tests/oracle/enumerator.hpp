#pragma once

#include <vector>

#include "oracle/dataset.hpp"

// Exact likelihoods and posteriors of small pedigrees: the joint
// distribution of every allele (by person, locus and half) and every
// selector (one per meiosis and locus, 1 = the parent's paternal allele
// passed; theta / 1 - theta between adjacent loci), written out as dense
// tables and summed over all their values. About a dozen persons and a few
// loci at most.
namespace pedlik::oracle {

// The network orders a founder's genotype at internal locus 0 with the lower
// allele paternal; the likelihood is the same either way, founders' halves
// and their children's selectors are not.
enum class FounderPhase { LowerAlleleFromFatherAtFirstLocus, Independent };

// One half's allele (1-based value) or one selector (0 or 1) of a person
// (0-based line) at an internal locus.
struct Condition {
    enum class Kind { Allele, Selector } kind = Kind::Allele;
    int person = 0, locus = 0;
    bool paternal = true;
    int value = 0;
};

double likelihood(const Dataset& dataset, int pedigree, FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);
// Sum of the pedigrees' ln likelihoods; -DBL_MAX when one is 0.
double logLikelihood(const Dataset& dataset);
// logLikelihood at every value of lodScoreThetas.
std::vector<double> reportLogLikelihoods(const Dataset& dataset);
// Probability that all conditions hold given the data; NaN when the
// likelihood is 0.
double jointPosterior(const Dataset& dataset, int pedigree, const std::vector<Condition>& conditions, FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);

}  // namespace pedlik::oracle

#pragma once

#include <span>
#include <vector>

#include "oracle/dataset.hpp"

// Exact likelihoods of tiny pedigrees by brute force: a sum over the
// inheritance vectors of every locus (one bit per meiosis, 1/2 each at the
// first locus, theta / 1 - theta between adjacent loci) of the per-locus sums
// over the founders' alleles of allele frequencies times penetrances. The two
// loci of a two-locus trait are summed jointly. Practical up to about six
// persons and three loci; larger problems throw std::invalid_argument.
namespace pedlik::oracle {

// How a founder's two alleles are ordered. The likelihood is the same under
// both; posteriors of founders' halves, and of the selectors of their
// children, are not.
enum class FounderPhase {
    // The network's convention: at internal locus 0 a founder's ordered
    // genotype has the lower-numbered allele in its paternal half (weight
    // 2 f(a) f(b) for a heterozygote, f(a)^2 for a homozygote); at the other
    // loci founder alleles are independent. In sex-linked data this holds for
    // female founders; a male has a single allele.
    LowerAlleleFromFatherAtFirstLocus,
    // Every founder allele independent with its frequency at every locus.
    Independent,
};

// Likelihood of one pedigree (0-based index into dataset.pedigrees).
double likelihood(const Dataset& dataset, int pedigreeIndex,
                  FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);

// Sum over the pedigrees of the natural logs of their likelihoods; the
// lowest finite double, -1.7976931348623157e308, when any likelihood is 0.
double logLikelihood(const Dataset& dataset);

// logLikelihood at every value of the varied fraction that the LOD-score
// report visits (lodScoreThetas), in report order.
std::vector<double> reportLogLikelihoods(const Dataset& dataset);

// A condition on one pedigree: the allele (1-based `value`) of one half of
// a person, or the value (0 or 1) of one of its selectors, at one internal
// locus. `person` is a 0-based line position.
struct Condition {
    enum class Kind { Allele, Selector } kind = Kind::Allele;
    int person = 0;
    int locus = 0;
    bool paternal = true;
    int value = 0;
};

// Probability of the condition given the pedigree's data; NaN when the
// likelihood is 0. Throws std::invalid_argument for a condition on a half or
// selector that does not exist.
double posterior(const Dataset& dataset, int pedigreeIndex, const Condition& condition,
                 FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);

// Probability, given the data, that every one of the conditions holds; NaN
// when the likelihood is 0. Throws as posterior does.
double jointPosterior(const Dataset& dataset, int pedigreeIndex, std::span<const Condition> conditions,
                      FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);

// Probability, given the pedigree's data, that the allele `person` (0-based
// line position) received from the father (`paternal`) or the mother is
// `allele` (1-based) at `internalLocus`; for founders, the paternal or
// maternal half of the ordered genotype. NaN when the likelihood is 0.
double posteriorAllele(const Dataset& dataset, int pedigreeIndex, int person, int internalLocus, bool paternal,
                       int allele, FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);

// Probability, given the data, that the selector of `person` towards the
// father (`paternal`) or the mother has `value` at `internalLocus`: 1 = the
// parent's paternal allele was transmitted, 0 = the maternal one. Sex-linked
// data have maternal selectors only. NaN when the likelihood is 0.
double posteriorSelector(const Dataset& dataset, int pedigreeIndex, int person, int internalLocus, bool paternal,
                         int value, FounderPhase phase = FounderPhase::LowerAlleleFromFatherAtFirstLocus);

}  // namespace pedlik::oracle

#pragma once

#include <vector>

namespace pedlik {

// What --ml, --ml-tolerance and --ml-max-iterations ask of the bucket-tree
// mode: EM run to the maximum of the likelihood instead of the mean change.
struct MlSettings {
    bool requested = false;
    double tolerance = 1e-6;  // a step gaining less in ln L ends a start's search
    int maxIterations = 1000;  // passes over all pedigrees per start
};

// The maximum-likelihood estimates as the report gives them.
struct MlReport {
    bool made = false;  // false when the likelihood at the start is 0
    int iterations = 0;  // passes over all pedigrees, both starts
    std::vector<double> thetas;
    double logLikelihood = 0.0;
    double unlinkedLogLikelihood = 0.0;  // every fraction 0.5
    std::vector<int> notInformative;  // 1-based intervals no meiosis informs
    // Each start's end point when they differ by more than the tolerance:
    // the file's fractions (the varied one at 0.5), then 0.1 everywhere.
    std::vector<double> startLogLikelihoods;
};

// "EM ITERATION k: LN(LIKE) = x  THETAS = ...", with `note` in parentheses
// after the fractions when given.
void printEmIteration(int iteration, double logLikelihood, const std::vector<double>& thetas, const char* note = nullptr);

// The estimates, their ln L, the ln L with every fraction 0.5, the LOD score
// between them, and the notes on uninformative fractions and local maxima.
void printMlReport(const MlReport& report);

}  // namespace pedlik

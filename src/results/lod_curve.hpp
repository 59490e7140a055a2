#pragma once

#include <vector>

namespace pedlik {

// What the LOD-score mode measured for the results options: every value of
// the varied fraction with each pedigree's own natural log-likelihood there.
struct LodCurve {
    std::vector<int> pedigreeIds;                     // list order
    std::vector<double> thetas;                       // report order, 0.5 first; none when the likelihood at 0.5 is 0
    std::vector<std::vector<double>> logLikelihoods;  // [value][pedigree]; impossibleLogLikelihood for a likelihood of 0
    std::vector<double> totals;                       // the report's LN(LIKE) at each value
};

}  // namespace pedlik

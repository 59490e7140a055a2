#pragma once

#include <cstddef>
#include <vector>

#include "results/heterogeneity.hpp"
#include "results/lod_curve.hpp"

namespace pedlik {

// One value of the varied fraction: each pedigree's LOD score alone
// (log10 of its likelihood against its own at 0.5), their total and the
// admixture model's fit. A pedigree whose likelihood is 0 here has LOD
// minus infinity and is left out of the total and of the fit.
struct LodRow {
    double theta = 0.0;
    std::vector<double> logLikelihoods;  // by pedigree, list order, natural; minus infinity for 0
    std::vector<double> lods;            // by pedigree
    double logLikelihood = 0.0;  // natural, of the pedigrees left in
    double lod = 0.0;            // their total
    Admixture admixture;
    bool partial = false;        // some pedigree is left out
};

struct LodResults {
    std::vector<int> pedigreeIds;
    std::vector<LodRow> rows;    // by increasing fraction; none when the likelihood at 0.5 is 0
    std::size_t maxLodRow = 0;   // the first row of the largest total, of those that leave no pedigree out
    std::size_t maxHlodRow = 0;  // the same for the HLOD
};

// A row per measured value. Where no pedigree is left out, the row's
// ln-likelihood and LOD score are the report's own numbers, bit for bit.
LodResults summariseLodCurve(const LodCurve& curve);

bool isImpossible(double logLikelihood);

}  // namespace pedlik

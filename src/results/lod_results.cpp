#include "results/lod_results.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/allocation.hpp"
#include "product/elimination_settings.hpp"

namespace pedlik {

namespace {

LodRow makeRow(const LodCurve& curve, std::size_t value) {
    const double ln10 = std::log(10.0);
    const std::vector<double>& atHalf = curve.logLikelihoods[0];
    const std::vector<double>& here = curve.logLikelihoods[value];
    LodRow row;
    row.theta = curve.thetas[value];
    std::vector<double> logRatios;
    for (std::size_t p = 0; p < here.size(); ++p) {
        if (isImpossible(here[p])) {
            row.logLikelihoods.push_back(-std::numeric_limits<double>::infinity());
            row.lods.push_back(-std::numeric_limits<double>::infinity());
            row.partial = true;
            continue;
        }
        row.logLikelihoods.push_back(here[p]);
        logRatios.push_back(here[p] - atHalf[p]);
        row.lods.push_back(logRatios.back() / ln10);
        row.logLikelihood += here[p];
        row.lod += row.lods.back();
    }
    if (!row.partial) {
        // As the report computes them, so that the two agree to the last digit.
        row.logLikelihood = curve.totals[value];
        row.lod = value == 0 ? 0.0 : curve.totals[value] / ln10 - curve.totals[0] / ln10;
    }
    row.admixture = fitAdmixture(logRatios);
    return row;
}

}  // namespace

bool isImpossible(double logLikelihood) { return !(logLikelihood > impossibleLogLikelihood); }

LodResults summariseLodCurve(const LodCurve& curve) {
    LodResults results;
    allocateOrDie("LOD results", [&] {
        results.pedigreeIds = curve.pedigreeIds;
        for (std::size_t value = 0; value < curve.thetas.size(); ++value) results.rows.push_back(makeRow(curve, value));
    });
    std::stable_sort(results.rows.begin(), results.rows.end(),
                     [](const LodRow& a, const LodRow& b) { return a.theta < b.theta; });
    // A row that leaves a pedigree out stands for a likelihood of 0 in
    // truth: no maximum there. The row at 0.5 leaves none out.
    bool found = false;
    for (std::size_t r = 0; r < results.rows.size(); ++r) {
        const LodRow& row = results.rows[r];
        if (row.partial) continue;
        if (!found || row.lod > results.rows[results.maxLodRow].lod) results.maxLodRow = r;
        if (!found || row.admixture.hlod > results.rows[results.maxHlodRow].admixture.hlod) results.maxHlodRow = r;
        found = true;
    }
    return results;
}

}  // namespace pedlik

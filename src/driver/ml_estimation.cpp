#include "driver/ml_estimation.hpp"

#include <cmath>

#include "buckettree/accelerated_em.hpp"
#include "buckettree/expected_values.hpp"
#include "buckettree/reestimation.hpp"
#include "input/process_state.hpp"

namespace pedlik {

namespace {

// The start LINKAGE users know, tried besides the file's fractions.
constexpr double commonStart = 0.1;
constexpr double unlinked = 0.5;

std::vector<double> currentFractions() {
    std::vector<double> thetas;
    for (const ThetaPair& pair : runParameters.thetaVals) thetas.push_back(pair.theta);
    return thetas;
}

void setFractions(const std::vector<double>& thetas) {
    for (std::size_t i = 0; i < thetas.size(); ++i) setTheta(runParameters.thetaVals[i], thetas[i]);
}

// The EM map as passes over the trees, each reported when asked, and the
// intervals some meiosis informed in any of them.
class EmPasses {
public:
    EmPasses(const EmProblem& problem, bool reportEstimates)
        : problem_(problem), report_(reportEstimates), informed_(runParameters.thetaVals.size(), false) {}

    EmPass pass(const std::vector<double>& at) {
        setFractions(at);
        const double logLikelihood = RebuildAndRunAll(problem_.pedigrees, problem_.products, problem_.trees,
                                                      runParameters.isSexLinked, problem_.settings, &problem_.branched);
        return step(logLikelihood);
    }
    // The EM step from the beliefs the last run left.
    EmPass step(double logLikelihood) {
        ExpectedValues(problem_.pedigrees, &informed_, &problem_.branched.counts);
        return EmPass{logLikelihood, currentFractions()};
    }
    void observe(const std::vector<double>& at, double logLikelihood, PassVerdict verdict) {
        if (report_) printEmIteration(++lines_, logLikelihood, at, verdict == PassVerdict::Rejected ? "rejected" : note_);
        note_ = nullptr;
    }
    // The next pass's line carries `note`.
    void annotateNext(const char* note) { note_ = note; }
    bool informed(std::size_t interval) const { return informed_[interval]; }

private:
    const EmProblem& problem_;
    bool report_;
    std::vector<bool> informed_;
    int lines_ = 0;
    const char* note_ = nullptr;
};

}  // namespace

MlReport estimateMaximumLikelihood(const EmProblem& problem, const MlSettings& ml, bool reportEstimates) {
    EmPasses passes(problem, reportEstimates);
    EmSearch search;
    search.tolerance = ml.tolerance;
    search.maxPasses = ml.maxIterations;
    search.meioses = meiosisCount;
    search.map = [&](const std::vector<double>& at) { return passes.pass(at); };
    search.observe = [&](const std::vector<double>& at, double value, PassVerdict verdict) {
        passes.observe(at, value, verdict);
    };

    const std::vector<double> fileStart = currentFractions();
    const EmPass first = passes.step(problem.logLikelihood);
    const EmMaximum fromFile = maximiseByEm(fileStart, search, &first);
    const std::vector<double> common(fileStart.size(), commonStart);
    passes.annotateNext("start 0.1");
    const EmMaximum fromCommon = maximiseByEm(common, search, nullptr, &fromFile);

    // Ties and likelihoods that are not numbers keep the file's start.
    const bool commonBetter = fromCommon.logLikelihood > fromFile.logLikelihood;
    const EmMaximum& best = commonBetter ? fromCommon : fromFile;
    const std::vector<double>& start = commonBetter ? common : fileStart;
    MlReport report;
    report.made = true;
    report.iterations = fromFile.passes + fromCommon.passes;
    report.thetas = best.point;
    report.logLikelihood = best.logLikelihood;
    for (std::size_t i = 0; i < report.thetas.size(); ++i) {
        if (passes.informed(i)) continue;
        report.thetas[i] = start[i];
        report.notInformative.push_back(static_cast<int>(i) + 1);
    }
    if (std::fabs(fromFile.logLikelihood - fromCommon.logLikelihood) > ml.tolerance) {
        report.startLogLikelihoods = {fromFile.logLikelihood, fromCommon.logLikelihood};
    }
    passes.annotateNext("all 0.5");
    const std::vector<double> allUnlinked(fileStart.size(), unlinked);
    report.unlinkedLogLikelihood = passes.pass(allUnlinked).logLikelihood;
    passes.observe(allUnlinked, report.unlinkedLogLikelihood, PassVerdict::Kept);
    setFractions(report.thetas);
    return report;
}

}  // namespace pedlik

#include "buckettree/accelerated_em.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace pedlik {

namespace {

// The step length's cap grows by this factor each time the step reaches
// it, and shrinks by it after an extrapolation is rejected.
constexpr double stepGrowth = 4.0;
// A fraction EM has brought this close to a bound is not extrapolated
// (there its steps are mostly rounding noise, which the step length would
// magnify): while EM still moves it towards the bound it goes there.
constexpr double nearBound = 1e-4;
// An extrapolation past a bound stops this share of the way from the second
// EM estimate to the bound.
constexpr double shareToBound = 0.1;

// The M-step within the bounds: the expected complete-data ln L of one
// fraction is concave, so its maximum over [0, upper] is the free maximum
// cut at the bound.
std::vector<double> bounded(std::vector<double> point, double upper) {
    for (double& x : point) x = std::clamp(x, 0.0, upper);
    return point;
}

// Whether a search whose last two rounds gained `gain` and `before` in ln L
// has ended: the gain is below the tolerance, and so is what the rounds
// still to come would add if their gains kept shrinking as these did. A
// first gain has nothing to compare with; only none at all ends there.
// Where EM crawls, the gains grow as the extrapolation lengthens its steps.
bool settled(double gain, double before, double tolerance) {
    if (gain == 0.0) return true;
    const double ratio = gain / before;  // not a number without a gain before
    const double rest = ratio < 1.0 ? gain * ratio / (1.0 - ratio) : std::numeric_limits<double>::infinity();
    return gain < tolerance && rest < tolerance;
}

struct Extrapolation {
    std::vector<double> point;
    double alpha = 1.0;
    bool moved = false;  // the point is not x2
};

// The squared extrapolation x0 + 2 alpha r + alpha^2 v, r = x1 - x0 and
// v = x2 - 2 x1 + x0, over the fractions away from the bounds (see
// nearBound for the others), with the step length alpha = |r| / |v| of
// those kept within [1, cap]; alpha 1 gives x2. Both bounds are fixed
// points of the EM map (at 0 nothing recombines; at 0.5 data of unknown
// phase favour neither phase), so an extrapolation that crosses one must
// not land on it, or it would stay there: it stops short, and the EM steps
// go on to the bound when the maximum is there.
Extrapolation extrapolated(const std::vector<double>& x0, const std::vector<double>& x1, const std::vector<double>& x2,
                           double cap, double upper) {
    std::vector<bool> free(x0.size());
    double rr = 0.0, vv = 0.0;
    for (std::size_t i = 0; i < x0.size(); ++i) {
        free[i] = x2[i] > nearBound && x2[i] < upper - nearBound;
        const double r = x1[i] - x0[i], v = x2[i] - 2.0 * x1[i] + x0[i];
        if (free[i]) rr += r * r, vv += v * v;
    }
    Extrapolation result{x2, vv > 0.0 ? std::clamp(std::sqrt(rr / vv), 1.0, cap) : rr > 0.0 ? cap : 1.0};
    const double alpha = result.alpha;
    result.moved = alpha > 1.0;
    for (std::size_t i = 0; i < x0.size(); ++i) {
        const double r = x1[i] - x0[i], v = x2[i] - 2.0 * x1[i] + x0[i];
        // A fraction that settles faster than the others takes its own,
        // shorter step: the common one would magnify its error by alpha^2.
        const double own = std::fabs(v) > 0.0 ? std::max(1.0, std::min(alpha, std::fabs(r / v))) : alpha;
        const double x = x0[i] + 2.0 * own * r + own * own * v;
        double& to = result.point[i];
        if (free[i] && alpha > 1.0) {
            to = x < 0.0 ? x2[i] * shareToBound : x > upper ? upper - (upper - x2[i]) * shareToBound : x;
        } else if (!free[i] && x2[i] != 0.0 && x2[i] < x1[i] && x2[i] <= nearBound) {
            to = 0.0, result.moved = true;
        } else if (!free[i] && x2[i] != upper && x2[i] > x1[i] && x2[i] >= upper - nearBound) {
            to = upper, result.moved = true;
        }
    }
    return result;
}

// Counts the passes, tells the observer and keeps the best point kept.
class Passes {
public:
    explicit Passes(const EmSearch& search) : search_(search) {}
    bool exhausted() const { return best_.passes >= search_.maxPasses; }
    EmPass run(const std::vector<double>& at) {
        ++best_.passes;
        EmPass pass = search_.map(at);
        pass.next = bounded(std::move(pass.next), search_.upperBound);
        return pass;
    }
    EmPass given(const EmPass& pass) {
        ++best_.passes;
        return EmPass{pass.logLikelihood, bounded(pass.next, search_.upperBound)};
    }
    void record(const std::vector<double>& at, double logLikelihood, PassVerdict verdict) {
        if (search_.observe) search_.observe(at, logLikelihood, verdict);
        if (verdict == PassVerdict::Kept && (best_.point.empty() || logLikelihood > best_.logLikelihood)) {
            best_.point = at;
            best_.logLikelihood = logLikelihood;
        }
    }
    EmMaximum result() const { return best_; }

private:
    const EmSearch& search_;
    EmMaximum best_;
};

}  // namespace

EmMaximum maximiseByEm(const std::vector<double>& start, const EmSearch& search, const EmPass* first) {
    Passes passes(search);
    std::vector<double> x0 = start;
    std::optional<EmPass> at0;
    if (first != nullptr) {
        at0 = passes.given(*first);
        passes.record(x0, at0->logLikelihood, PassVerdict::Kept);
    }
    double previous = -std::numeric_limits<double>::infinity();
    double before = std::numeric_limits<double>::quiet_NaN();
    double cap = 1.0;
    for (;;) {
        if (!at0) {
            if (passes.exhausted()) break;
            at0 = passes.run(x0);
            passes.record(x0, at0->logLikelihood, PassVerdict::Kept);
        }
        // A likelihood that is not a positive number gives no EM step.
        if (!std::isfinite(at0->logLikelihood)) break;
        if (std::isfinite(previous)) {
            // Rounding may make a gain of nothing a little negative.
            const double gain = std::max(0.0, at0->logLikelihood - previous);
            if (settled(gain, before, search.tolerance)) break;
            before = gain;
        }
        previous = at0->logLikelihood;
        const std::vector<double> x1 = std::move(at0->next);
        at0.reset();
        if (x1 == x0 || passes.exhausted()) break;
        const EmPass at1 = passes.run(x1);
        passes.record(x1, at1.logLikelihood, PassVerdict::Kept);
        if (!std::isfinite(at1.logLikelihood)) break;
        std::vector<double> x2 = at1.next;
        Extrapolation extrapolation = extrapolated(x0, x1, x2, cap, search.upperBound);
        std::vector<double>& xe = extrapolation.point;
        if (extrapolation.moved && !passes.exhausted()) {
            EmPass atE = passes.run(xe);
            // EM from the extrapolated point gains on; compared with the
            // first EM step, the kept points' ln L never falls.
            if (atE.logLikelihood >= at1.logLikelihood) {
                passes.record(xe, atE.logLikelihood, PassVerdict::Kept);
                x2 = std::move(xe);
                at0 = std::move(atE);
            } else {
                passes.record(xe, atE.logLikelihood, PassVerdict::Rejected);
                cap = std::max(1.0, cap / stepGrowth);
                // The plain steps' gain says nothing of the next round's.
                before = std::numeric_limits<double>::quiet_NaN();
                x0 = std::move(x2);
                continue;
            }
        }
        if (extrapolation.alpha == cap) cap *= stepGrowth;
        x0 = std::move(x2);
    }
    return passes.result();
}

}  // namespace pedlik

#include "buckettree/accelerated_em.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/allocation.hpp"
#include "buckettree/curvature.hpp"

namespace pedlik {

namespace {

// The search keeps every fraction this far above 0. At 0 the EM map stands
// still (nothing recombines), so its step no longer tells the slope there;
// just above 0 it does, and the fraction still prints as 0.000000.
constexpr double lowest = 1e-9;
// A step that lowers ln L is shortened this many times before the search
// takes the plain EM step instead, which never lowers it.
constexpr int shortenings = 2;
// A shortened step is at least this share of the one before, and at most
// this share.
constexpr double minShare = 0.1;
constexpr double maxShare = 0.5;
// A step whose end climbs more than this share of its start's climb was too
// short: the next reaches this many times further.
constexpr double straightShare = 0.5;
constexpr double reachGrowth = 4.0;
// The curvature at a climb's end comes from slopes this far away; a saddle
// is left by a step this long, and at most this many saddles per start.
constexpr double probeStep = 1e-4;
constexpr double saddleStep = 0.05;
constexpr int maxSaddles = 3;
// A step past the upper bound stops this share of the way short of it; a
// fraction that ends this close to it is tried on it.
constexpr double shareToBound = 0.1;
constexpr double nearUpper = 1e-3;

// The M-step within the bounds: the expected complete-data ln L of one
// fraction is concave, so its maximum over [0, upper] is the free maximum
// cut at the bound.
std::vector<double> bounded(std::vector<double> point, double upper) {
    for (double& x : point) x = std::clamp(x, 0.0, upper);
    return point;
}

// Whether a search whose last two steps gained `gain` and `before` in ln L
// has ended: the gain is below the tolerance, and so is what the steps
// still to come would add if their gains kept shrinking as these did. A
// first gain has nothing to compare with; only none at all ends there.
bool settled(double gain, double before, double tolerance) {
    if (gain == 0.0) return true;
    const double ratio = gain / before;  // not a number without a gain before
    const double rest = ratio < 1.0 ? gain * ratio / (1.0 - ratio) : std::numeric_limits<double>::infinity();
    return gain < tolerance && rest < tolerance;
}

// The slope of ln L, divided by the number of meioses, read off the EM step:
// with N meioses an interval's expected recombinations are N times the
// next estimate, and the derivative of ln L in its fraction t is
// (expected recombinations - N t) / (t (1 - t)).
std::vector<double> slope(const std::vector<double>& at, const std::vector<double>& next) {
    std::vector<double> g = allocateOrDie("EM search", [&] { return std::vector<double>(at.size()); });
    for (std::size_t i = 0; i < at.size(); ++i) g[i] = (next[i] - at[i]) / (at[i] * (1.0 - at[i]));
    return g;
}

// Where the search is: a point, its ln L and slope, and the EM step from it.
struct Place {
    std::vector<double> point;
    EmPass pass;
    std::vector<double> g;
};

// Counts the passes, tells the observer and keeps the best point kept.
class Passes {
public:
    explicit Passes(const EmSearch& search) : search_(search) {}
    bool exhausted() const { return best_.passes >= search_.maxPasses; }
    Place run(const std::vector<double>& at) {
        ++best_.passes;
        return place(at, search_.map(at));
    }
    Place given(const std::vector<double>& at, const EmPass& pass) {
        ++best_.passes;
        return place(at, pass);
    }
    void record(const Place& place, PassVerdict verdict) {
        if (search_.observe) search_.observe(place.point, place.pass.logLikelihood, verdict);
        if (verdict == PassVerdict::Kept && (best_.point.empty() || place.pass.logLikelihood > best_.logLikelihood)) {
            best_.point = place.point;
            best_.logLikelihood = place.pass.logLikelihood;
        }
    }
    EmMaximum result() const { return best_; }

private:
    Place place(const std::vector<double>& at, EmPass pass) const {
        pass.next = bounded(std::move(pass.next), search_.upperBound);
        std::vector<double> g = slope(at, pass.next);
        return Place{at, std::move(pass), std::move(g)};
    }

    const EmSearch& search_;
    EmMaximum best_;
};

// The fractions at a bound whose slope points out of [lowest, upper]: a
// step leaves them where they are. Steps stop short of the upper bound, so a
// fraction rising to it comes only near it; one as near as the end's check
// puts on the bound is held there too, or the search crawls after it a tenth
// of the way at a time while the other fractions wait.
std::vector<bool> heldAtBounds(const Place& at, double upper) {
    std::vector<bool> held = allocateOrDie("EM search", [&] { return std::vector<bool>(at.point.size()); });
    for (std::size_t i = 0; i < held.size(); ++i) {
        held[i] = (at.point[i] <= lowest && at.g[i] <= 0.0) || (at.point[i] >= upper - nearUpper && at.g[i] >= 0.0);
    }
    return held;
}

// A step cut at the bounds. Past the upper bound it stops short: there the
// EM map stands still when the data do not tell the phase, so its slope
// is 0 and a search that landed there would stay, maximum or not.
std::vector<double> stepped(const std::vector<double>& from, const std::vector<double>& d, double length, double upper) {
    std::vector<double> to = from;
    for (std::size_t i = 0; i < to.size(); ++i) {
        const double x = from[i] + length * d[i];
        // Within rounding of the lower bound is on it, where it can be held.
        to[i] = x > upper ? upper - (upper - from[i]) * shareToBound : x < 2.0 * lowest ? lowest : x;
    }
    return to;
}

// The length that maximises the parabola through ln L at the start (slope
// `rise` there) and at the full step, kept within a sensible share of it.
double shortenedLength(double rise, double fall, double length) {
    const double best = rise * length / (2.0 * (rise + fall / length));
    return std::clamp(best, minShare * length, maxShare * length);
}

// How far the steps may reach: at most `reach` times as far as the EM step
// from the same place, and at most `reach` times the curvature's step.
// EM's steps follow the rise of ln L to the maximum of their basin; a long
// first step could land in another basin, so the reach starts at EM's own
// and grows while steps at full reach keep climbing. Where ln L is nearly
// straight the curvature shows nothing, and the longer reach stretches the
// step beyond it; once the last step has shown curvature, the curvature's
// step is the one to take. Stretched past it, steps overshot the maximum by
// a third or more each time and closed in on it no faster than EM.
struct Steps {
    Curvature curvature;
    double reach = 1.0;
    bool stretches = true;  // the last step showed no curvature the curvature could learn
};

double reachedLength(const Place& at, const std::vector<double>& d, double reach) {
    double em = 0.0, step = 0.0;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const double e = at.pass.next[i] - at.point[i];
        em += e * e, step += d[i] * d[i];
    }
    return std::min(reach, reach * std::sqrt(em / step));
}

// The length at which a step along d from `from` first brings a fraction
// down to the lower bound (infinite when none falls). A longer step would
// cut that fraction there and still move the others as far as the length
// says, which past the bound is too far: ln L fell on such steps, and the
// search crawled to a maximum on the bound.
double lengthToLowerBound(const std::vector<double>& from, const std::vector<double>& d) {
    double length = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (d[i] < 0.0 && from[i] > lowest) length = std::min(length, (lowest - from[i]) / d[i]);
    }
    return length;
}

// The rise of ln L along d at a place: its slope times d.
double riseAlong(const Place& at, const std::vector<double>& d, double meioses) {
    double rise = 0.0;
    for (std::size_t i = 0; i < d.size(); ++i) rise += d[i] * at.g[i];
    return rise * meioses;
}

// The next kept place from `at`: the curvature's step, shortened while it
// lowers ln L, else the EM step. Empty when the passes run out first.
std::optional<Place> nextPlace(const Place& at, const std::vector<bool>& held, Steps& steps, Passes& passes,
                               const EmSearch& search) {
    const std::vector<double> d = steps.curvature.direction(at.g, held);
    const double rise = riseAlong(at, d, search.meioses);
    // A direction that does not climb means the curvature learned is wrong.
    if (rise > 0.0) {
        const double reached = reachedLength(at, d, steps.reach);
        double length = std::min(steps.stretches ? reached : std::min(1.0, reached), lengthToLowerBound(at.point, d));
        for (int tries = 0; tries <= shortenings; ++tries) {
            const std::vector<double> to = stepped(at.point, d, length, search.upperBound);
            if (to == at.point || passes.exhausted()) break;
            Place there = passes.run(to);
            // Equal ln L is kept: on a flat stretch the step still moves on.
            const double fall = at.pass.logLikelihood - there.pass.logLikelihood;
            if (fall <= 0.0) {
                if (tries == 0 && (length < 1.0 || riseAlong(there, d, search.meioses) > straightShare * rise)) {
                    steps.reach *= reachGrowth;
                }
                if (tries > 0) steps.reach = std::max(1.0, steps.reach / reachGrowth);
                return there;
            }
            passes.record(there, PassVerdict::Rejected);
            length = shortenedLength(rise, fall, length);
        }
    }
    steps.curvature.reset(at.point);
    steps.reach = 1.0;
    std::vector<double> em = at.pass.next;
    for (double& x : em) x = std::max(x, lowest);
    if (em == at.point || passes.exhausted()) return std::nullopt;
    return passes.run(em);
}

// Whether `at` is the end of an earlier search, reached again.
bool isFound(const Place& at, const EmMaximum* found, double tolerance) {
    if (found == nullptr || found->point.size() != at.point.size()) return false;
    if (!(std::fabs(at.pass.logLikelihood - found->logLikelihood) <= tolerance)) return false;
    for (std::size_t i = 0; i < at.point.size(); ++i) {
        if (std::fabs(at.point[i] - found->point[i]) > foundWithin) return false;
    }
    return true;
}

// Steps from `at` until ln L settles, no step is left, or the climb has
// come to `found`; returns whether it came there.
bool climb(Place& at, Passes& passes, const EmSearch& search, const EmMaximum* found) {
    Steps steps;
    steps.curvature.reset(at.point);
    std::vector<bool> held = heldAtBounds(at, search.upperBound);
    double before = std::numeric_limits<double>::quiet_NaN();
    while (std::isfinite(at.pass.logLikelihood)) {
        std::optional<Place> next = nextPlace(at, held, steps, passes, search);
        if (!next) return false;
        passes.record(*next, PassVerdict::Kept);
        // Rounding may make a gain of nothing a little negative.
        const double gain = std::max(0.0, next->pass.logLikelihood - at.pass.logLikelihood);
        std::vector<double> s = next->point, y = at.g;
        for (std::size_t i = 0; i < s.size(); ++i) s[i] -= at.point[i], y[i] -= next->g[i];
        steps.stretches = !steps.curvature.update(s, y);
        at = std::move(*next);
        // What was learned with a fraction free misleads once a bound holds
        // it, or the other way round, and so does how far steps reached.
        std::vector<bool> nowHeld = heldAtBounds(at, search.upperBound);
        if (nowHeld != held) {
            steps.curvature.reset(at.point);
            steps.reach = 1.0;
        }
        held = std::move(nowHeld);
        if (isFound(at, found, search.tolerance)) return true;
        if (settled(gain, before, search.tolerance)) return false;
        before = gain;
    }
    return false;
}

// At the end of a climb: whether ln L still rises somewhere around `at`.
// A climb ends wherever the slope vanishes, which may be a saddle: two
// fractions that rose together along a ridge, say, where ln L rises as
// they part. The curvature over the free fractions, from their slopes one
// small step away, tells; where it rises along a direction, a step along
// it either way is tried. Returns the place that gains on `at`. When every
// probe was made, `bending` holds the second derivative of ln L along each
// free fraction (0 for the held ones).
std::optional<Place> pastSaddle(const Place& at, Passes& passes, const EmSearch& search, std::vector<double>& bending) {
    const std::vector<bool> held = heldAtBounds(at, search.upperBound);
    std::vector<std::size_t> free;
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (!held[i]) allocateOrDie("EM search", [&] { free.push_back(i); });
    }
    const std::size_t m = free.size();
    if (m == 0) return std::nullopt;
    const double gaining = at.pass.logLikelihood + search.tolerance;
    std::vector<double> curvature = allocateOrDie("EM search", [&] { return std::vector<double>(m * m, 0.0); });
    for (std::size_t k = 0; k < m; ++k) {
        std::vector<double> to = at.point;
        const double delta = to[free[k]] + probeStep > search.upperBound ? -probeStep : probeStep;
        to[free[k]] += delta;
        if (passes.exhausted()) return std::nullopt;
        Place probe = passes.run(to);
        if (probe.pass.logLikelihood > gaining) return probe;
        // A probe a little higher is kept, and may be the best point; the
        // climb does not go on from it for so little.
        passes.record(probe, probe.pass.logLikelihood > at.pass.logLikelihood ? PassVerdict::Kept : PassVerdict::Rejected);
        for (std::size_t j = 0; j < m; ++j) curvature[j * m + k] = search.meioses * (probe.g[free[j]] - at.g[free[j]]) / delta;
    }
    allocateOrDie("EM search", [&] { bending.assign(at.point.size(), 0.0); });
    for (std::size_t k = 0; k < m; ++k) bending[free[k]] = curvature[k * m + k];
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = 0; j < i; ++j) curvature[i * m + j] = curvature[j * m + i] = 0.5 * (curvature[i * m + j] + curvature[j * m + i]);
    }
    const auto [value, v] = largestEigenvalue(curvature, m);
    if (!(value > 0.0)) return std::nullopt;
    for (int side = 0; side < 2; ++side) {
        const double sign = side == 0 ? 1.0 : -1.0;
        // The direction first, then the point a step along it.
        std::vector<double> to = allocateOrDie("EM search", [&] { return std::vector<double>(at.point.size(), 0.0); });
        for (std::size_t k = 0; k < m; ++k) to[free[k]] = sign * v[k];
        to = stepped(at.point, to, saddleStep, search.upperBound);
        if (to != at.point && !passes.exhausted()) {
            Place there = passes.run(to);
            if (there.pass.logLikelihood > gaining) return there;
            passes.record(there, there.pass.logLikelihood > at.pass.logLikelihood ? PassVerdict::Kept : PassVerdict::Rejected);
        }
    }
    return std::nullopt;
}

// The end point with every fraction that stopped short of the upper bound,
// while its slope still pointed there, put on it: unlinked loci are
// estimated at 0.5, not just below. Those near it are; with `farther`, also
// those for which the rest of the way gains more than the tolerance, as
// the slope and, where the probes measured it, the bending (`bending`, or
// empty) foretell it. Steps stop short of the bound, each time by a share
// of the way left, so a climb up a slope to it may settle before it gets
// near; and EM crawls along a plateau that rises to it, where a climb
// settles just as it does at a maximum.
std::vector<double> ontoUpperBound(const Place& at, const std::vector<double>& bending, const EmSearch& search,
                                   bool farther) {
    std::vector<double> to = at.point;
    for (std::size_t i = 0; i < to.size(); ++i) {
        const double rest = search.upperBound - to[i];
        const double bent = bending.empty() ? 0.0 : 0.5 * bending[i] * rest * rest;
        const bool worth = rest <= nearUpper || (farther && search.meioses * at.g[i] * rest + bent > search.tolerance);
        if (rest > 0.0 && at.g[i] >= 0.0 && worth) to[i] = search.upperBound;
    }
    return to;
}

// The first of those end points, farther first, that does not lower ln L.
// Where a fraction ends inside with a slope not yet quite 0, putting it on
// the bound too lowers ln L, and the near ones alone are tried.
void tryUpperBound(const Place& at, const std::vector<double>& bending, Passes& passes, const EmSearch& search) {
    std::vector<double> tried = at.point;
    for (const bool farther : {true, false}) {
        const std::vector<double> to = ontoUpperBound(at, bending, search, farther);
        if (to == at.point || to == tried || passes.exhausted()) continue;
        tried = to;
        const Place there = passes.run(to);
        const bool kept = there.pass.logLikelihood >= at.pass.logLikelihood;
        passes.record(there, kept ? PassVerdict::Kept : PassVerdict::Rejected);
        if (kept) return;
    }
}

}  // namespace

EmMaximum maximiseByEm(const std::vector<double>& start, const EmSearch& search, const EmPass* first,
                       const EmMaximum* found) {
    Passes passes(search);
    std::vector<double> from = start;
    for (double& x : from) x = std::clamp(x, lowest, search.upperBound);
    std::optional<Place> given;
    if (first != nullptr) {
        given = passes.given(start, *first);
        passes.record(*given, PassVerdict::Kept);
    }
    // A start at 0 goes on from just above it, where the slope is known.
    if (!given || from != start) {
        if (passes.exhausted()) return passes.result();
        given = passes.run(from);
        passes.record(*given, PassVerdict::Kept);
    }
    Place at = std::move(*given);
    std::vector<double> bending;  // at `at`, once the saddle check has probed it
    for (int saddles = 0; std::isfinite(at.pass.logLikelihood); ++saddles) {
        bending.clear();
        if (isFound(at, found, search.tolerance) || climb(at, passes, search, found)) return passes.result();
        if (saddles == maxSaddles) break;
        std::optional<Place> beyond = pastSaddle(at, passes, search, bending);
        if (!beyond) break;
        passes.record(*beyond, PassVerdict::Kept);
        at = std::move(*beyond);
    }
    tryUpperBound(at, bending, passes, search);
    return passes.result();
}

}  // namespace pedlik

#pragma once

#include <functional>
#include <vector>

namespace pedlik {

// One evaluation of the EM map at a point: the natural log-likelihood there
// and the map's image, the next EM estimate.
struct EmPass {
    double logLikelihood = 0.0;
    std::vector<double> next;
};

enum class PassVerdict { Kept, Rejected };

struct EmSearch {
    // Ends the search once a step gains less than this in ln L.
    double tolerance = 1e-6;
    // Evaluations of the map the search may make.
    int maxPasses = 1000;
    // Upper bound of every fraction; the lower bound is 0.
    double upperBound = 0.5;
    // The meioses whose recombinations the map averages: N (next - t) /
    // (t (1 - t)) is then the derivative of ln L in a fraction t.
    double meioses = 1.0;
    // The map itself: one bucket-tree pass over all pedigrees.
    std::function<EmPass(const std::vector<double>&)> map;
    // Told of every pass in order: the point, its ln L, and whether the
    // search keeps it. A rejected point is a step or a probe with a lower
    // ln L than the point it left.
    std::function<void(const std::vector<double>&, double, PassVerdict)> observe;
};

struct EmMaximum {
    std::vector<double> point;  // the best point evaluated
    double logLikelihood = 0.0;
    int passes = 0;
};

// Maximises ln L over [0, upperBound]^n from `start` by quasi-Newton steps
// on the slope that each EM step gives, with the curvature learned from
// step to step; a step that lowers ln L is shortened, and after two
// shortenings the plain EM step is taken, so the kept points' ln L never
// falls. Where the slope vanishes the curvature is probed, and a saddle is
// left along the direction in which ln L still rises. `first`, when given,
// is the map already evaluated at `start`. `found`, when given, is the end
// of an earlier search: a climb that comes to it again (ln L within the
// tolerance, every fraction within foundWithin) ends there, as that search
// did, without probing it again.
EmMaximum maximiseByEm(const std::vector<double>& start, const EmSearch& search, const EmPass* first = nullptr,
                       const EmMaximum* found = nullptr);

inline constexpr double foundWithin = 1e-3;

}  // namespace pedlik

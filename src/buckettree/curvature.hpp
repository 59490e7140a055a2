#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace pedlik {

// The inverse curvature of -ln L that steps have shown, started from the
// one that makes the first step the EM step, and updated by each step as
// the Broyden-Fletcher-Goldfarb-Shanno rule does. EM alone crawls along a
// ridge where two fractions trade off against each other; the curvature
// learned across steps points along it.
class Curvature {
public:
    // Forgets what was learned: the EM step's own scale at `at`.
    void reset(const std::vector<double>& at);
    // The step direction for slope g over the fractions not held at a bound.
    std::vector<double> direction(const std::vector<double>& g, const std::vector<bool>& held) const;
    // s the step taken, y the fall of the slope along it; a step that showed
    // no curvature of the right sign leaves the matrix as it is. Returns
    // whether the step was learned from.
    bool update(const std::vector<double>& s, const std::vector<double>& y);

private:
    std::vector<double> h_;  // n x n, row by row
    std::size_t n_ = 0;
};

// The largest eigenvalue of the symmetric m x m matrix `a` (row by row) and
// its unit vector.
std::pair<double, std::vector<double>> largestEigenvalue(const std::vector<double>& a, std::size_t m);

}  // namespace pedlik

#include "buckettree/curvature.hpp"

#include <algorithm>
#include <cmath>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

constexpr int powerRounds = 200;

}  // namespace

void Curvature::reset(const std::vector<double>& at) {
    const std::size_t n = at.size();
    h_ = allocateOrDie("EM search", [&] { return std::vector<double>(n * n, 0.0); });
    for (std::size_t i = 0; i < n; ++i) h_[i * n + i] = at[i] * (1.0 - at[i]);
    n_ = n;
}

std::vector<double> Curvature::direction(const std::vector<double>& g, const std::vector<bool>& held) const {
    std::vector<double> d = allocateOrDie("EM search", [&] { return std::vector<double>(n_, 0.0); });
    for (std::size_t i = 0; i < n_; ++i) {
        if (held[i]) continue;
        for (std::size_t j = 0; j < n_; ++j) {
            if (!held[j]) d[i] += h_[i * n_ + j] * g[j];
        }
    }
    return d;
}

bool Curvature::update(const std::vector<double>& s, const std::vector<double>& y) {
    double sy = 0.0, ss = 0.0, yy = 0.0;
    for (std::size_t i = 0; i < n_; ++i) sy += s[i] * y[i], ss += s[i] * s[i], yy += y[i] * y[i];
    if (!(sy > 1e-12 * std::sqrt(ss * yy))) return false;
    std::vector<double> hy = allocateOrDie("EM search", [&] { return std::vector<double>(n_, 0.0); });
    double yhy = 0.0;
    for (std::size_t i = 0; i < n_; ++i) {
        for (std::size_t j = 0; j < n_; ++j) hy[i] += h_[i * n_ + j] * y[j];
        yhy += y[i] * hy[i];
    }
    const double rho = 1.0 / sy;
    for (std::size_t i = 0; i < n_; ++i) {
        for (std::size_t j = 0; j < n_; ++j) {
            h_[i * n_ + j] += -rho * (hy[i] * s[j] + s[i] * hy[j]) + (rho * rho * yhy + rho) * s[i] * s[j];
        }
    }
    return true;
}

// By power iteration on the matrix shifted to have no negative eigenvalue.
std::pair<double, std::vector<double>> largestEigenvalue(const std::vector<double>& a, std::size_t m) {
    double shift = 0.0;
    for (std::size_t i = 0; i < m; ++i) {
        double row = 0.0;
        for (std::size_t j = 0; j < m; ++j) row += std::fabs(a[i * m + j]);
        shift = std::max(shift, row);
    }
    std::vector<double> v = allocateOrDie("EM search", [&] { return std::vector<double>(m, 1.0); });
    for (std::size_t i = 0; i < m; ++i) v[i] += 0.01 * static_cast<double>(i);  // not orthogonal to any vector by chance
    double value = 0.0;
    for (int round = 0; round < powerRounds; ++round) {
        std::vector<double> w = allocateOrDie("EM search", [&] { return std::vector<double>(m, 0.0); });
        double norm = 0.0;
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t j = 0; j < m; ++j) w[i] += a[i * m + j] * v[j];
            w[i] += shift * v[i];
            norm += w[i] * w[i];
        }
        norm = std::sqrt(norm);
        if (norm == 0.0) break;
        for (std::size_t i = 0; i < m; ++i) v[i] = w[i] / norm;
        value = norm - shift;
    }
    return {value, v};
}

}  // namespace pedlik

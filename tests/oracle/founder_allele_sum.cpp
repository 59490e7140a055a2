#include "oracle/founder_allele_sum.hpp"

#include <algorithm>
#include <numeric>

namespace pedlik::oracle {

int FounderAlleleSum::root(int allele) {
    while (parent_[allele] != allele) allele = parent_[allele] = parent_[parent_[allele]];
    return allele;
}

double FounderAlleleSum::enumerate(size_t depth) {
    if (depth == members_.size()) return 1.0;
    const std::vector<double>& frequencies = *frequencies_;
    const int alleleCount = static_cast<int>(frequencies.size());
    const int slot = members_[depth];
    double total = 0.0;
    for (int a = 0; a < alleleCount; ++a) {
        value_[slot] = a;
        double weight = frequencies[a];
        for (size_t f = depthStart_[depth]; f < depthStart_[depth + 1] && weight != 0.0; ++f) {
            const AlleleFactor& factor = byDepth_[f];
            const int index =
                factor.second < 0 ? value_[factor.first] : value_[factor.first] * alleleCount + value_[factor.second];
            weight *= factor.table[index];
        }
        if (weight != 0.0) total += weight * enumerate(depth + 1);
    }
    return total;
}

double FounderAlleleSum::operator()(int founderAlleleCount, const std::vector<double>& frequencies,
                                    const std::vector<AlleleFactor>& factors) {
    frequencies_ = &frequencies;
    parent_.resize(founderAlleleCount);
    std::iota(parent_.begin(), parent_.end(), 0);
    for (const AlleleFactor& factor : factors) {
        if (factor.second >= 0) parent_[root(factor.first)] = root(factor.second);
    }
    depthOf_.assign(founderAlleleCount, 0);
    value_.assign(founderAlleleCount, 0);
    double product = 1.0;
    for (int component = 0; component < founderAlleleCount && product != 0.0; ++component) {
        if (root(component) != component) continue;
        members_.clear();
        for (int allele = 0; allele < founderAlleleCount; ++allele) {
            if (root(allele) != component) continue;
            depthOf_[allele] = static_cast<int>(members_.size());
            members_.push_back(allele);
        }
        // Each factor is evaluated at the depth where its last argument is
        // set; a counting sort keeps them grouped by that depth.
        const auto depth = [this](const AlleleFactor& factor) {
            return factor.second < 0 ? depthOf_[factor.first]
                                     : std::max(depthOf_[factor.first], depthOf_[factor.second]);
        };
        depthStart_.assign(members_.size() + 1, 0);
        for (const AlleleFactor& factor : factors) {
            if (root(factor.first) == component) ++depthStart_[depth(factor) + 1];
        }
        std::partial_sum(depthStart_.begin(), depthStart_.end(), depthStart_.begin());
        byDepth_.resize(depthStart_.back());
        fill_ = depthStart_;
        for (const AlleleFactor& factor : factors) {
            if (root(factor.first) == component) byDepth_[fill_[depth(factor)]++] = factor;
        }
        product *= enumerate(0);
    }
    return product;
}

}  // namespace pedlik::oracle

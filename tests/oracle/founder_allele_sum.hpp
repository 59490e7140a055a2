#pragma once

#include <cstddef>
#include <vector>

namespace pedlik::oracle {

// A factor on one or two founder alleles of one locus, as a table over
// 0-based allele indices: table[a] when `second` is -1, otherwise
// table[a * alleleCount + b].
struct AlleleFactor {
    int first = -1;
    int second = -1;
    const double* table = nullptr;
};

// Sums, over every assignment of alleles to the founder alleles of one
// locus, the product of the allele frequencies and of the factors. Founder
// alleles that no factor links are summed apart (connected components), so
// the cost is exponential only in the largest linked group. Keeps its
// working buffers between calls.
class FounderAlleleSum {
public:
    double operator()(int founderAlleleCount, const std::vector<double>& frequencies,
                      const std::vector<AlleleFactor>& factors);

private:
    int root(int allele);
    double enumerate(std::size_t depth);

    const std::vector<double>* frequencies_ = nullptr;
    std::vector<int> parent_;
    std::vector<int> members_;             // founder alleles of the component in enumeration order
    std::vector<int> depthOf_;             // per founder allele, its position in members_
    std::vector<AlleleFactor> byDepth_;    // factors grouped by the depth at which both arguments are set
    std::vector<std::size_t> depthStart_;  // byDepth_ range of each depth
    std::vector<std::size_t> fill_;        // next free place per depth while sorting
    std::vector<int> value_;               // current allele of every founder allele
};

}  // namespace pedlik::oracle

#include "oracle/enumerator.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <stdexcept>

namespace pedlik::oracle {

namespace {

// A factor on one founder allele (b < 0: table[a]) or two (table[a * A + b]).
struct Factor {
    int a, b;
    const double* table;
};

double penetranceFactor(double penetrance, int affection) { return affection == 2 ? penetrance : 1.0 - penetrance; }

class Enumeration {
public:
    Enumeration(const Dataset& d, int pedigree, FounderPhase phase, const std::vector<Condition>& conditions)
        : d_(d), ped_(d.pedigrees.at(pedigree)), phase_(phase), conditions_(conditions) {
        const int n = static_cast<int>(ped_.persons.size());
        patMeiosis_ = matMeiosis_ = patFounder_ = matFounder_ = std::vector<int>(n, -1);
        for (int j = 0; j < n; ++j) {
            if (ped_.persons[j].father < 0) {
                if (!hemizygous(j)) patFounder_[j] = founders_++;
                matFounder_[j] = founders_++;
            } else {
                if (!d.sexLinked) patMeiosis_[j] = meioses_++;
                matMeiosis_[j] = meioses_++;
            }
        }
        order_ = parentsFirst(ped_);
        vectors_ = 1u << meioses_;
    }

    double compute() {
        const auto trait = findTraitLoci(d_);
        if (meioses_ > 16 || (trait && (meioses_ > 10 || founders_ > 14))) {
            throw std::invalid_argument("pedigree too large for brute force");
        }
        const int loci = static_cast<int>(d_.loci.size());
        if (!trait) {
            std::vector<double> forward = emission(0);
            for (int r = 1; r < loci; ++r) {
                mix(forward, d_.thetas[r - 1]);
                multiply(forward, emission(r));
            }
            return std::accumulate(forward.begin(), forward.end(), 0.0) / vectors_;
        }
        const auto [first, second] = *trait;
        std::vector<double> before(vectors_, 1.0 / vectors_), after(vectors_, 1.0), path(vectors_);
        for (int r = 0; r < first; ++r) {
            multiply(before, emission(r));
            mix(before, d_.thetas[r]);
        }
        for (int r = loci - 1; r > second; --r) {
            multiply(after, emission(r));
            mix(after, d_.thetas[r - 1]);
        }
        std::vector<std::vector<double>> between;
        for (int r = first + 1; r < second; ++r) between.push_back(emission(r));
        const std::vector<double> joint = traitEmission(first, second);
        double total = 0.0;
        for (unsigned v1 = 0; v1 < vectors_; ++v1) {
            if (before[v1] == 0.0) continue;
            std::fill(path.begin(), path.end(), 0.0);
            path[v1] = 1.0;
            for (int r = first; r < second; ++r) {
                mix(path, d_.thetas[r]);
                if (r + 1 < second) multiply(path, between[r - first]);
            }
            for (unsigned v2 = 0; v2 < vectors_; ++v2) total += before[v1] * path[v2] * joint[v1 * vectors_ + v2] * after[v2];
        }
        return total;
    }

private:
    bool hemizygous(int j) const { return d_.sexLinked && ped_.persons[j].isMale; }
    int source(int j, bool paternal) const { return paternal ? pat_[j] : mat_[j]; }

    // The founder allele each person's halves copy under the vector `bits`.
    void trace(unsigned bits) {
        pat_.assign(ped_.persons.size(), -1);
        mat_ = pat_;
        for (int j : order_) {
            const PersonRecord& p = ped_.persons[j];
            if (p.father < 0) {
                pat_[j] = patFounder_[j];
                mat_[j] = matFounder_[j];
                continue;
            }
            if (!d_.sexLinked) pat_[j] = (bits >> patMeiosis_[j] & 1u) ? pat_[p.father] : mat_[p.father];
            if (d_.sexLinked && !p.isMale) pat_[j] = mat_[p.father];
            mat_[j] = (bits >> matMeiosis_[j] & 1u) ? pat_[p.mother] : mat_[p.mother];
        }
    }

    bool selectorsHold(int r, unsigned bits) const {
        for (const Condition& c : conditions_) {
            if (c.kind != Condition::Kind::Selector || c.locus != r) continue;
            const int meiosis = c.paternal ? patMeiosis_[c.person] : matMeiosis_[c.person];
            if (meiosis < 0) throw std::invalid_argument("no such selector");
            if (static_cast<int>(bits >> meiosis & 1u) != c.value) return false;
        }
        return true;
    }

    void multiply(std::vector<double>& values, const std::vector<double>& by) const {
        for (unsigned v = 0; v < vectors_; ++v) values[v] *= by[v];
    }

    // Every meiosis keeps its bit with 1 - theta, flips it with theta.
    void mix(std::vector<double>& values, double theta) const {
        for (int m = 0; m < meioses_; ++m) {
            for (unsigned v = 0; v < vectors_; ++v) {
                if (v >> m & 1u) continue;
                const double x = values[v], y = values[v | 1u << m];
                values[v] = (1 - theta) * x + theta * y;
                values[v | 1u << m] = theta * x + (1 - theta) * y;
            }
        }
    }

    // Per vector, the sum over the founder alleles of locus r.
    std::vector<double> emission(int r) {
        const LocusModel& locus = d_.loci[r];
        const int A = locus.alleleCount();
        std::vector<std::pair<int, std::vector<double>>> observed;
        for (int j = 0; j < static_cast<int>(ped_.persons.size()); ++j) {
            const Phenotype& ph = ped_.persons[j].phenotypes[r];
            std::vector<double> table(hemizygous(j) ? A : A * A, 0.0);
            if (locus.kind == LocusKind::NumberedAlleles && ph.allele1 != 0) {
                if (hemizygous(j)) table[ph.allele1 - 1] = 1.0;
                else table[(ph.allele1 - 1) * A + ph.allele2 - 1] = table[(ph.allele2 - 1) * A + ph.allele1 - 1] = 1.0;
            } else if (locus.kind == LocusKind::AffectionStatus && ph.affection != 0) {
                const int c = ph.liabilityClass - 1;
                for (int x = 0; x < static_cast<int>(table.size()); ++x) {
                    const double p = hemizygous(j) ? locus.malePenetrances[c][x] : locus.femalePenetrances[c][x / 2 + x % 2];
                    table[x] = penetranceFactor(p, ph.affection);
                }
            } else {
                continue;
            }
            observed.emplace_back(j, std::move(table));
        }
        std::vector<std::vector<double>> indicators;
        for (const Condition& c : conditions_) {
            if (c.kind == Condition::Kind::Allele && c.locus == r) indicators.emplace_back(A, 0.0)[c.value - 1] = 1.0;
        }
        std::vector<double> phase(A * A, 0.0);  // the lower allele paternal
        for (int a = 0; a < A; ++a) {
            for (int b = a; b < A; ++b) phase[a * A + b] = a == b ? 1.0 : 2.0;
        }
        std::vector<double> values(vectors_, 0.0);
        std::vector<Factor> factors;
        for (unsigned bits = 0; bits < vectors_; ++bits) {
            if (!selectorsHold(r, bits)) continue;
            trace(bits);
            factors.clear();
            for (const auto& [j, table] : observed) {
                factors.push_back(hemizygous(j) ? Factor{mat_[j], -1, table.data()} : Factor{pat_[j], mat_[j], table.data()});
            }
            int k = 0;
            for (const Condition& c : conditions_) {
                if (c.kind == Condition::Kind::Allele && c.locus == r) factors.push_back({source(c.person, c.paternal), -1, indicators[k++].data()});
            }
            for (size_t j = 0; r == 0 && phase_ == FounderPhase::LowerAlleleFromFatherAtFirstLocus && j < order_.size(); ++j) {
                if (patFounder_[j] >= 0) factors.push_back({patFounder_[j], matFounder_[j], phase.data()});
            }
            values[bits] = sumFounderAlleles(locus.frequencies, factors);
        }
        return values;
    }

    // The frequencies times the factors, summed over every assignment of
    // alleles; founder alleles that no factor links are summed apart.
    double sumFounderAlleles(const std::vector<double>& frequencies, const std::vector<Factor>& factors) {
        const int A = static_cast<int>(frequencies.size());
        root_.resize(founders_);
        std::iota(root_.begin(), root_.end(), 0);
        const auto find = [this](int x) {
            while (root_[x] != x) x = root_[x] = root_[root_[x]];
            return x;
        };
        for (const Factor& f : factors) {
            if (f.b >= 0) root_[find(f.a)] = find(f.b);
        }
        value_.assign(founders_, 0);
        depth_.assign(founders_, 0);
        double product = 1.0;
        for (int component = 0; component < founders_ && product != 0.0; ++component) {
            if (find(component) != component) continue;
            members_.clear();
            for (int x = 0; x < founders_; ++x) {
                if (find(x) == component) depth_[x] = static_cast<int>(members_.size()), members_.push_back(x);
            }
            // Each factor is evaluated once its last argument is set.
            byDepth_.assign(members_.size(), {});
            for (const Factor& f : factors) {
                if (find(f.a) == component) byDepth_[std::max(depth_[f.a], f.b < 0 ? 0 : depth_[f.b])].push_back(f);
            }
            const auto sum = [&](auto& self, size_t k) -> double {
                if (k == members_.size()) return 1.0;
                double total = 0.0;
                for (int a = 0; a < A; ++a) {
                    value_[members_[k]] = a;
                    double weight = frequencies[a];
                    for (const Factor& f : byDepth_[k]) weight *= f.table[f.b < 0 ? value_[f.a] : value_[f.a] * A + value_[f.b]];
                    if (weight != 0.0) total += weight * self(self, k + 1);
                }
                return total;
            };
            product *= sum(sum, 0);
        }
        return product;
    }

    // Per vector at trait locus r, the weight of the founder allele
    // assignments giving each pattern of codes (copies of allele 2, or a
    // hemizygote's allele) of the phenotyped persons, read in base 3.
    std::vector<std::map<int, double>> traitPatterns(int r, const std::vector<int>& phenotyped) {
        const std::vector<double>& f = d_.loci[r].frequencies;
        std::vector<std::map<int, double>> patterns(vectors_);
        for (unsigned bits = 0; bits < vectors_; ++bits) {
            trace(bits);
            for (unsigned assignment = 0; assignment < (1u << founders_); ++assignment) {
                const auto allele = [assignment](int s) { return static_cast<int>(assignment >> s & 1u); };
                double weight = 1.0;
                for (int s = 0; s < founders_; ++s) weight *= f[allele(s)];
                for (const Condition& c : conditions_) {
                    if (c.kind == Condition::Kind::Allele && c.locus == r && allele(source(c.person, c.paternal)) != c.value - 1) weight = 0.0;
                }
                for (size_t j = 0; r == 0 && phase_ == FounderPhase::LowerAlleleFromFatherAtFirstLocus && j < order_.size(); ++j) {
                    if (patFounder_[j] < 0) continue;
                    const int a = allele(patFounder_[j]), b = allele(matFounder_[j]);
                    weight *= a > b ? 0.0 : a < b ? 2.0 : 1.0;
                }
                if (weight == 0.0) continue;
                int key = 0;
                for (size_t k = phenotyped.size(); k-- > 0;) {
                    const int j = phenotyped[k];
                    key = key * 3 + (hemizygous(j) ? 0 : allele(pat_[j])) + allele(mat_[j]);
                }
                patterns[bits][key] += weight;
            }
        }
        return patterns;
    }

    // Joint sums over both trait loci's founder alleles, by (first vector,
    // second vector), first slower.
    std::vector<double> traitEmission(int first, int second) {
        const LocusModel& table = d_.loci[second];
        std::vector<int> phenotyped;
        for (int j = 0; j < static_cast<int>(ped_.persons.size()); ++j) {
            if (ped_.persons[j].phenotypes[second].affection != 0) phenotyped.push_back(j);
        }
        const auto penetrance = [&](int k1, int k2) {
            double product = 1.0;
            for (int j : phenotyped) {
                const Phenotype& ph = ped_.persons[j].phenotypes[second];
                const int c = ph.liabilityClass - 1;
                const double p = hemizygous(j) ? table.malePenetrances[c][k1 % 3 * 2 + k2 % 3]
                                               : table.femalePenetrances[c][k1 % 3 * 3 + k2 % 3];
                product *= penetranceFactor(p, ph.affection);
                k1 /= 3;
                k2 /= 3;
            }
            return product;
        };
        const auto firstPatterns = traitPatterns(first, phenotyped);
        const auto secondPatterns = traitPatterns(second, phenotyped);
        // Per first-locus pattern in use, its sum against every second vector.
        std::map<int, std::vector<double>> againstSecond;
        for (const auto& patterns : firstPatterns) {
            for (const auto& [k1, w1] : patterns) {
                if (againstSecond.count(k1) != 0) continue;
                std::vector<double>& row = againstSecond[k1];
                row.assign(vectors_, 0.0);
                for (unsigned v2 = 0; v2 < vectors_; ++v2) {
                    for (const auto& [k2, w2] : secondPatterns[v2]) row[v2] += w2 * penetrance(k1, k2);
                }
            }
        }
        std::vector<double> joint(static_cast<size_t>(vectors_) * vectors_, 0.0);
        for (unsigned v1 = 0; v1 < vectors_; ++v1) {
            for (const auto& [k1, w1] : firstPatterns[v1]) {
                for (unsigned v2 = 0; v2 < vectors_; ++v2) joint[v1 * vectors_ + v2] += w1 * againstSecond[k1][v2];
            }
            for (unsigned v2 = 0; v2 < vectors_; ++v2) {
                if (!selectorsHold(first, v1) || !selectorsHold(second, v2)) joint[v1 * vectors_ + v2] = 0.0;
            }
        }
        return joint;
    }

    const Dataset& d_;
    const PedigreeRecord& ped_;
    FounderPhase phase_;
    const std::vector<Condition>& conditions_;
    int meioses_ = 0, founders_ = 0;
    unsigned vectors_ = 1;
    std::vector<int> order_, patMeiosis_, matMeiosis_, patFounder_, matFounder_, pat_, mat_;
    std::vector<int> root_, value_, depth_, members_;
    std::vector<std::vector<Factor>> byDepth_;
};

}  // namespace

double likelihood(const Dataset& dataset, int pedigree, FounderPhase phase) {
    return Enumeration(dataset, pedigree, phase, {}).compute();
}

double logLikelihood(const Dataset& dataset) {
    double total = 0.0;
    for (int p = 0; p < static_cast<int>(dataset.pedigrees.size()); ++p) {
        const double value = likelihood(dataset, p);
        if (!(value > 0.0)) return -DBL_MAX;
        total += std::log(value);
    }
    return total;
}

std::vector<double> reportLogLikelihoods(const Dataset& dataset) {
    std::vector<double> values;
    for (double theta : lodScoreThetas(dataset)) values.push_back(logLikelihood(withVariedTheta(dataset, theta)));
    return values;
}

double jointPosterior(const Dataset& dataset, int pedigree, const std::vector<Condition>& conditions,
                      FounderPhase phase) {
    const double total = likelihood(dataset, pedigree, phase);
    if (total == 0.0) return std::numeric_limits<double>::quiet_NaN();
    return Enumeration(dataset, pedigree, phase, conditions).compute() / total;
}

}  // namespace pedlik::oracle

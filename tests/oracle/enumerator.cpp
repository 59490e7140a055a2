#include "oracle/enumerator.hpp"

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

#include "oracle/dense_sum.hpp"

namespace pedlik::oracle {

namespace {

using Values = std::vector<int>;

class Model {
public:
    Model(const Dataset& d, int pedigree, FounderPhase phase) : d_(d), ped_(d.pedigrees.at(pedigree)) {
        const int n = static_cast<int>(ped_.persons.size()), loci = static_cast<int>(d.loci.size());
        allele_.assign(n * loci * 2, -1);
        selector_ = allele_;
        for (int j = 0; j < n; ++j) {
            for (int r = 0; r < loci; ++r) {
                for (const bool paternal : {true, false}) {
                    const bool hemizygous = paternal && d.sexLinked && ped_.persons[j].isMale;
                    if (!hemizygous) allele_[key(j, r, paternal)] = variable(d.loci[r].alleleCount());
                    if (ped_.persons[j].father >= 0 && !(paternal && d.sexLinked)) selector_[key(j, r, paternal)] = variable(2);
                }
            }
        }
        for (int j = 0; j < n; ++j) {
            for (int r = 0; r < loci; ++r) {
                const PersonRecord& p = ped_.persons[j];
                const int pat = allele(j, r, true), mat = allele(j, r, false);
                if (p.father < 0) {
                    for (const int a : {pat, mat}) {
                        if (a >= 0) add({a}, [&f = d.loci[r].frequencies](const Values& v) { return f[v[0]]; });
                    }
                    // The network's convention: the lower allele paternal.
                    if (r == 0 && phase == FounderPhase::LowerAlleleFromFatherAtFirstLocus && pat >= 0) {
                        add({pat, mat}, [](const Values& v) { return v[0] < v[1] ? 2.0 : v[0] == v[1] ? 1.0 : 0.0; });
                    }
                } else {
                    transmit(mat, p.mother, r, selector(j, r, false));
                    if (!d.sexLinked) transmit(pat, p.father, r, selector(j, r, true));
                    if (d.sexLinked && pat >= 0) add({pat, allele(p.father, r, false)}, [](const Values& v) { return v[0] == v[1] ? 1.0 : 0.0; });
                    for (const bool paternal : {true, false}) {
                        const int s = selector(j, r, paternal);
                        if (s >= 0 && r == 0) add({s}, [](const Values&) { return 0.5; });
                        if (s >= 0 && r > 0) {
                            add({selector(j, r - 1, paternal), s}, [theta = d.thetas[r - 1]](const Values& v) { return v[0] == v[1] ? 1 - theta : theta; });
                        }
                    }
                }
                observe(j, r);
            }
        }
    }

    void condition(const Condition& c) {
        const int v = c.kind == Condition::Kind::Allele ? allele(c.person, c.locus, c.paternal) : selector(c.person, c.locus, c.paternal);
        if (v < 0) throw std::invalid_argument("no such allele or selector");
        const int value = c.kind == Condition::Kind::Allele ? c.value - 1 : c.value;
        add({v}, [value](const Values& x) { return x[0] == value ? 1.0 : 0.0; });
    }

    double sum() const { return sumOfProduct(counts_, factors_); }

private:
    int key(int j, int r, bool paternal) const { return (j * static_cast<int>(d_.loci.size()) + r) * 2 + (paternal ? 0 : 1); }
    int allele(int j, int r, bool paternal) const { return allele_[key(j, r, paternal)]; }
    int selector(int j, int r, bool paternal) const { return selector_[key(j, r, paternal)]; }

    int variable(int valueCount) {
        counts_.push_back(valueCount);
        return static_cast<int>(counts_.size()) - 1;
    }

    // A factor over `vars` whose entry at each of their values is `entry(values)`.
    void add(const Values& vars, const std::function<double(const Values&)>& entry) {
        DenseFactor& factor = factors_.emplace_back(DenseFactor{vars, {}});
        Values values(vars.size(), 0);
        for (size_t position = 1; position > 0;) {
            factor.entries.push_back(entry(values));
            for (position = vars.size(); position > 0 && ++values[position - 1] == counts_[vars[position - 1]];) values[--position] = 0;
        }
    }

    // The child's allele is the parent's paternal one where the selector is 1.
    void transmit(int child, int parent, int r, int selector) {
        add({child, allele(parent, r, true), allele(parent, r, false), selector},
            [](const Values& v) { return v[0] == (v[3] == 1 ? v[1] : v[2]) ? 1.0 : 0.0; });
    }

    void observe(int j, int r) {
        const Phenotype& ph = ped_.persons[j].phenotypes[r];
        const LocusModel& locus = d_.loci[r];
        const int pat = allele(j, r, true), mat = allele(j, r, false), a = ph.allele1 - 1, b = ph.allele2 - 1;
        const Values alleles = pat < 0 ? Values{mat} : Values{pat, mat};
        if (locus.kind == LocusKind::NumberedAlleles && ph.allele1 != 0) {
            add(alleles, [a, b](const Values& v) { return v.size() == 1 ? v[0] == a : (v[0] == a && v[1] == b) || (v[0] == b && v[1] == a); });
        }
        if (locus.kind == LocusKind::NumberedAlleles || ph.affection == 0) return;
        const auto& table = pat < 0 ? locus.malePenetrances[ph.liabilityClass - 1] : locus.femalePenetrances[ph.liabilityClass - 1];
        const auto factor = [&table, affected = ph.affection == 2](int k) { return affected ? table[k] : 1.0 - table[k]; };
        // Female tables by copies of allele 2, male ones by his allele; a
        // two-locus trait's rows by the first trait locus.
        const auto trait = findTraitLoci(d_);
        if (locus.kind == LocusKind::AffectionStatus) {
            add(alleles, [factor](const Values& v) { return factor(v.size() == 1 ? v[0] : v[0] + v[1]); });
        } else if (r == trait->second && pat < 0) {
            add({allele(j, trait->first, false), mat}, [factor](const Values& v) { return factor(v[0] * 2 + v[1]); });
        } else if (r == trait->second) {
            add({allele(j, trait->first, true), allele(j, trait->first, false), pat, mat},
                [factor](const Values& v) { return factor((v[0] + v[1]) * 3 + v[2] + v[3]); });
        }
    }

    const Dataset& d_;
    const PedigreeRecord& ped_;
    std::vector<int> allele_, selector_, counts_;
    std::vector<DenseFactor> factors_;
};

}  // namespace

double likelihood(const Dataset& dataset, int pedigree, FounderPhase phase) { return Model(dataset, pedigree, phase).sum(); }

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

double jointPosterior(const Dataset& dataset, int pedigree, const std::vector<Condition>& conditions, FounderPhase phase) {
    Model model(dataset, pedigree, phase);
    const double total = model.sum();
    if (total == 0.0) return std::numeric_limits<double>::quiet_NaN();
    for (const Condition& c : conditions) model.condition(c);
    return model.sum() / total;
}

}  // namespace pedlik::oracle

#include "network/probability_tables.hpp"

#include "base/allocation.hpp"

namespace pedlik {

namespace {

Table newTable(size_t size) {
    return allocateOrDie("probability table", [&] { return Table(size, 0.0); });
}

double frequency(const Locus& locus, int allele) { return locus.geneFrequencies[allele - 1]; }

// The penetrance as observed: p for an affected person, 1 - p otherwise.
double observedPenetrance(const PenetrancePair& pair, const PersonLocus& observed) {
    return observed.affectionStatus == 2 ? pair.penetrance : pair.complement;
}

// The pairs of the person's liability class, `perClass` of them per class.
const PenetrancePair* classPenetrances(const std::vector<PenetrancePair>& all, int perClass,
                                       const PersonLocus& observed) {
    return all.data() + static_cast<size_t>(observed.liabilityClass - 1) * perClass;
}

}  // namespace

Table founderAlleleTable(const Locus& locus, const std::vector<int>& alleles) {
    Table table = newTable(alleles.size());
    for (size_t k = 0; k < alleles.size(); ++k) table[k] = frequency(locus, alleles[k]);
    return table;
}

Table founderGenotypeTable(const Locus& locus, const std::vector<int>& paternalAlleles, int paternalValueCount,
                           int isUnknown) {
    if (locus.type != LocusType::NumberedAlleles) {
        const double f1 = frequency(locus, 1);
        const double f2 = frequency(locus, 2);
        Table table = newTable(3);
        table[0] = f1 * f1;
        table[1] = 2.0 * f1 * f2;
        table[2] = f2 * f2;
        return table;
    }
    const std::vector<int>& pa = paternalAlleles;
    if (isUnknown == 0) {
        Table table = newTable(1);
        const double f0 = frequency(locus, pa[0]);
        table[0] = paternalValueCount == 1 ? f0 * f0 : 2.0 * f0 * frequency(locus, pa[1]);
        return table;
    }
    const int n = paternalValueCount;
    Table table = newTable(static_cast<size_t>(n) * (n + 1) / 2);
    size_t g = 0;
    for (int j = 0; j < n; ++j) {
        for (int k = j; k < n; ++k) {
            const double product = frequency(locus, pa[j]) * frequency(locus, pa[k]);
            table[g++] = j == k ? product : 2.0 * product;
        }
    }
    return table;
}

Table firstSelectorTable(int valueCount) {
    Table table = newTable(valueCount);
    for (double& entry : table) entry = 0.5;
    return table;
}

Table selectorTable(const std::vector<int>& previousValues, const std::vector<int>& values, const ThetaPair& theta) {
    Table table = newTable(values.size() * previousValues.size());
    size_t index = 0;
    for (int value : values) {
        for (int previous : previousValues) table[index++] = value == previous ? theta.oneMinusTheta : theta.theta;
    }
    return table;
}

Table transmissionTable(const std::vector<int>& alleles, const std::vector<int>& parentPaternal,
                        const std::vector<int>& parentMaternal, const std::vector<int>& selector) {
    Table table = newTable(alleles.size() * parentPaternal.size() * parentMaternal.size() * selector.size());
    size_t index = 0;
    for (int allele : alleles) {
        for (int fromPaternal : parentPaternal) {
            for (int fromMaternal : parentMaternal) {
                for (int s : selector) {
                    const int transmitted = s == 1 ? fromPaternal : fromMaternal;
                    table[index++] = allele == transmitted ? 1.0 : 0.0;
                }
            }
        }
    }
    return table;
}

Table founderTransmissionTable(const std::vector<int>& alleles, const std::vector<OrderedGenotype>& parentGenotypes,
                               const std::vector<int>& selector) {
    Table table = newTable(alleles.size() * parentGenotypes.size() * selector.size());
    size_t index = 0;
    for (int allele : alleles) {
        for (const OrderedGenotype& genotype : parentGenotypes) {
            for (int s : selector) {
                const int transmitted = s == 1 ? genotype.paternalAllele : genotype.maternalAllele;
                table[index++] = allele == transmitted ? 1.0 : 0.0;
            }
        }
    }
    return table;
}

Table paternalXTable(const std::vector<int>& alleles, const std::vector<int>& fatherAlleles) {
    Table table = newTable(alleles.size() * fatherAlleles.size());
    size_t index = 0;
    for (int allele : alleles) {
        for (int fathers : fatherAlleles) table[index++] = allele == fathers ? 1.0 : 0.0;
    }
    return table;
}

Table heterozygoteTable() {
    Table table = newTable(4);
    table[1] = 1.0;
    table[2] = 1.0;
    return table;
}

Table affectionTable(const Locus& locus, const PersonLocus& observed) {
    const PenetrancePair* byGenotype = classPenetrances(locus.femalePenetrances, 3, observed);
    Table table = newTable(4);
    for (int j = 0; j < 2; ++j) {
        for (int k = 0; k < 2; ++k) table[j * 2 + k] = observedPenetrance(byGenotype[j + k], observed);
    }
    return table;
}

Table founderAffectionTable(const Locus& locus, const PersonLocus& observed) {
    const PenetrancePair* byGenotype = classPenetrances(locus.femalePenetrances, 3, observed);
    Table table = newTable(3);
    for (int g = 0; g < 3; ++g) table[g] = observedPenetrance(byGenotype[g], observed);
    return table;
}

Table maleAffectionTable(const Locus& locus, const PersonLocus& observed) {
    const PenetrancePair* byAllele = classPenetrances(locus.malePenetrances, 2, observed);
    Table table = newTable(2);
    for (int k = 0; k < 2; ++k) table[k] = observedPenetrance(byAllele[k], observed);
    return table;
}

Table twoLocusTable(const Locus& traitTable, const PersonLocus& observed) {
    const PenetrancePair* rows = classPenetrances(traitTable.femalePenetrances, 9, observed);
    Table table = newTable(16);
    size_t index = 0;
    for (int j1 = 0; j1 < 2; ++j1) {
        for (int j2 = 0; j2 < 2; ++j2) {
            for (int k1 = 0; k1 < 2; ++k1) {
                for (int k2 = 0; k2 < 2; ++k2) {
                    table[index++] = observedPenetrance(rows[(j1 + j2) * 3 + k1 + k2], observed);
                }
            }
        }
    }
    return table;
}

Table founderTwoLocusTable(const Locus& traitTable, const PersonLocus& observed) {
    const PenetrancePair* rows = classPenetrances(traitTable.femalePenetrances, 9, observed);
    Table table = newTable(12);
    size_t index = 0;
    for (int g = 0; g < 3; ++g) {
        for (int k1 = 0; k1 < 2; ++k1) {
            for (int k2 = 0; k2 < 2; ++k2) table[index++] = observedPenetrance(rows[g * 3 + k1 + k2], observed);
        }
    }
    return table;
}

Table maleTwoLocusTable(const Locus& traitTable, const PersonLocus& observed) {
    const PenetrancePair* rows = classPenetrances(traitTable.malePenetrances, 4, observed);
    Table table = newTable(4);
    for (int j = 0; j < 2; ++j) {
        for (int k = 0; k < 2; ++k) table[j * 2 + k] = observedPenetrance(rows[j * 2 + k], observed);
    }
    return table;
}

}  // namespace pedlik

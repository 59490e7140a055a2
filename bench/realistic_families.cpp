#include "realistic_families.hpp"

#include <algorithm>
#include <random>

namespace pedlik::bench {

namespace {

using oracle::Dataset;
using oracle::LocusKind;
using oracle::LocusModel;
using oracle::Phenotype;

using Random = oracle::Random;

// In thousandths summing to 1, none below 1 / (3 * alleles): every allele
// segregates.
std::vector<double> markerFrequencies(Random& random, int alleles) {
    std::vector<int> thousandths(alleles, 1000 / (3 * alleles));
    for (int left = 1000 - thousandths[0] * alleles; left > 0; --left) ++thousandths[random.below(alleles)];
    std::vector<double> result;
    for (const int share : thousandths) result.push_back(share / 1000.0);
    return result;
}

// A rare disease allele (allele 2), penetrances by copies of it (females)
// or by the allele (hemizygous males), one row per liability class.
LocusModel affectionLocus(Random& random, bool sexLinked) {
    const double rare = random.between(5, 30) / 1000.0;
    LocusModel locus{LocusKind::AffectionStatus, {1.0 - rare, rare}, {}, {}};
    for (int c = random.between(1, 3); c > 0; --c) {
        const double phenocopy = random.between(1, 30) / 1000.0, carrier = random.between(300, 900) / 1000.0;
        locus.femalePenetrances.push_back({phenocopy, carrier, std::max(carrier, random.between(900, 990) / 1000.0)});
        if (sexLinked) locus.malePenetrances.push_back({phenocopy, carrier});
    }
    return locus;
}

struct Member {
    int father = -1, mother = -1;
    bool isMale = false;
    int generation = 0, marriages = 0;
};

// A founder couple; then descendants of earlier generations marry spouses
// from outside (about one in six a second time) and have one to five
// children. With `loop`, two unmarried descendants of one generation who are
// not siblings marry last and have the remaining children.
std::vector<Member> familyTree(Random& random, int size, int generations, bool loop) {
    std::vector<Member> members{{-1, -1, true, 0, 1}, {-1, -1, false, 0, 1}};
    const auto addChildren = [&](int father, int mother, int count) {
        const int generation = std::max(members[father].generation, members[mother].generation) + 1;
        for (; count > 0 && static_cast<int>(members.size()) < size; --count) members.push_back({father, mother, random.chance(0.5), generation, 0});
    };
    addChildren(0, 1, random.between(2, 4));
    const int treeSize = loop ? size - 3 : size;
    for (int attempt = 0; static_cast<int>(members.size()) + 2 <= treeSize && attempt < 100000; ++attempt) {
        const int x = random.between(2, static_cast<int>(members.size()) - 1);
        Member& person = members[x];
        if (person.father < 0 || person.generation + 1 >= generations || person.marriages >= (random.chance(0.15) ? 2 : 1)) continue;
        ++person.marriages;
        const int spouse = static_cast<int>(members.size());
        members.push_back({-1, -1, !person.isMale, person.generation, 1});
        const bool male = members[x].isMale;
        addChildren(male ? x : spouse, male ? spouse : x, std::min(random.between(1, 5), treeSize - static_cast<int>(members.size())));
    }
    for (int attempt = 0; loop && attempt < 100000; ++attempt) {
        const int a = random.between(2, static_cast<int>(members.size()) - 1), b = random.between(2, static_cast<int>(members.size()) - 1);
        const Member &x = members[a], &y = members[b];
        if (x.father < 0 || y.father < 0 || x.isMale == y.isMale || x.generation != y.generation || x.father == y.father || x.mother == y.mother ||
            x.marriages > 0 || y.marriages > 0) {
            continue;
        }
        members[a].marriages = members[b].marriages = 1;
        addChildren(x.isMale ? a : b, x.isMale ? b : a, size - static_cast<int>(members.size()));
        break;
    }
    return members;
}

void dropAndObserve(const Dataset& d, int affection, const std::vector<Member>& members, oracle::PedigreeRecord& pedigree, Random& random) {
    const int n = static_cast<int>(members.size()), loci = static_cast<int>(d.loci.size());
    std::vector<std::vector<int>> pat(n, std::vector<int>(loci)), mat = pat;
    const auto draw = [&](const std::vector<double>& frequencies) {
        double u = random.unit();
        for (int a = 0; a + 1 < static_cast<int>(frequencies.size()); ++a) {
            if ((u -= frequencies[a]) < 0) return a;
        }
        return static_cast<int>(frequencies.size()) - 1;
    };
    // Members come after their parents.
    for (int j = 0; j < n; ++j) {
        const Member& m = members[j];
        int fromFather = random.below(2), fromMother = random.below(2);
        for (int r = 0; r < loci; ++r) {
            if (r > 0 && random.chance(d.thetas[r - 1])) fromFather ^= 1;
            if (r > 0 && random.chance(d.thetas[r - 1])) fromMother ^= 1;
            if (m.father < 0) {
                pat[j][r] = draw(d.loci[r].frequencies), mat[j][r] = draw(d.loci[r].frequencies);
                continue;
            }
            pat[j][r] = d.sexLinked ? mat[m.father][r] : fromFather ? pat[m.father][r] : mat[m.father][r];
            mat[j][r] = fromMother ? pat[m.mother][r] : mat[m.mother][r];
        }
        pedigree.persons.push_back({m.father, m.mother, m.isMale, std::vector<Phenotype>(loci)});
    }
    for (int j = 0; j < n; ++j) {
        const Member& m = members[j];
        const bool hemizygous = d.sexLinked && m.isMale;
        // The first two generations are mostly dead, spouses often unsampled.
        const bool untyped = random.chance(m.generation < 2 ? 0.8 : m.father < 0 ? 0.5 : 0.1);
        for (int r = 0; r < loci; ++r) {
            Phenotype& ph = pedigree.persons[j].phenotypes[r];
            const LocusModel& locus = d.loci[r];
            if (r == affection) {
                ph.liabilityClass = random.between(1, locus.liabilityClassCount());
                if (untyped && random.chance(0.5)) continue;
                const auto& row = (hemizygous ? locus.malePenetrances : locus.femalePenetrances)[ph.liabilityClass - 1];
                ph.affection = random.chance(row[hemizygous ? mat[j][r] : pat[j][r] + mat[j][r]]) ? 2 : 1;
            } else if (!untyped && !random.chance(0.12)) {
                ph = hemizygous ? Phenotype{mat[j][r] + 1, 0} : Phenotype{pat[j][r] + 1, mat[j][r] + 1};
            }
        }
    }
    // Someone typed at every marker (FASTLINK goes wrong otherwise).
    for (int r = 0; r < loci; ++r) {
        const auto typed = [&](const oracle::PersonRecord& p) { return p.phenotypes[r].allele1 != 0; };
        if (r == affection || std::any_of(pedigree.persons.begin(), pedigree.persons.end(), typed)) continue;
        const bool hemizygous = d.sexLinked && members[n - 1].isMale;
        pedigree.persons[n - 1].phenotypes[r] = hemizygous ? Phenotype{mat[n - 1][r] + 1, 0} : Phenotype{pat[n - 1][r] + 1, mat[n - 1][r] + 1};
    }
}

}  // namespace

Dataset benchDataset(const BenchCase& c) {
    Random random{std::mt19937_64(c.seed)};
    Dataset d;
    d.sexLinked = c.sexLinked;
    d.programCode = 5;
    const int loci = c.markers + 1, affection = random.below(loci);
    for (int r = 0; r < loci; ++r) {
        d.loci.push_back(r == affection ? affectionLocus(random, c.sexLinked)
                                        : LocusModel{LocusKind::NumberedAlleles, markerFrequencies(random, random.between(c.minAlleles, c.maxAlleles)), {}, {}});
        d.order.push_back(r + 1);
        if (r > 0) d.thetas.push_back(random.between(20, 150) / 1000.0);
    }
    // The LOD scores vary the fraction next to the disease locus: 0.5, its
    // start and one step more, the stop half a step past the last.
    d.variedThetaIndex = std::max(affection, 1);
    d.thetaIncrement = 0.1;
    d.thetaStop = d.thetas[d.variedThetaIndex - 1] + 0.15;
    for (int p = 0; p < c.pedigrees; ++p) {
        oracle::PedigreeRecord& pedigree = d.pedigrees.emplace_back();
        pedigree.id = p + 1;
        dropAndObserve(d, affection, familyTree(random, c.personsPerPedigree, c.generations, c.loop), pedigree, random);
    }
    return d;
}

double unknownMarkerShare(const Dataset& data) {
    int all = 0, unknown = 0;
    for (const oracle::PedigreeRecord& pedigree : data.pedigrees) {
        for (const oracle::PersonRecord& person : pedigree.persons) {
            for (size_t r = 0; r < data.loci.size(); ++r) {
                if (data.loci[r].kind != LocusKind::NumberedAlleles) continue;
                ++all;
                unknown += person.phenotypes[r].allele1 == 0 ? 1 : 0;
            }
        }
    }
    return all == 0 ? 0.0 : static_cast<double>(unknown) / all;
}

}  // namespace pedlik::bench

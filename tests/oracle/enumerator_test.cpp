// The enumerator against likelihoods worked by hand, and against FASTLINK on
// gene-dropped families.
#include "oracle/enumerator.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "oracle/fastlink.hpp"

namespace pedlik::oracle {
namespace {

using namespace hand;

constexpr bool male = true, female = false;
const Phenotype untyped{};

// Phase-known backcross: the father got 1,1 from his father and 2,2 from
// his mother at both loci; his child's paternal haplotype is (a, b).
Dataset backcross(double theta, int a, int b) {
    const auto both = [](int x, int y) { return std::vector<Phenotype>{{x, y}, {x, y}}; };
    return handDataset({marker({0.4, 0.6}), marker({0.3, 0.7})}, {theta},
                       {{founder(male, both(1, 1)), founder(female, both(2, 2)), child(0, 1, male, both(1, 2)),
                         founder(female, both(1, 1)), child(2, 3, female, {{1, a}, {1, b}})}});
}

// Its founders are homozygous: their genotype frequencies, times (1 - theta)
// / 2 for a parental haplotype, theta / 2 for a recombinant.
const double backcrossFounders = std::pow(0.4 * 0.4 * 0.3 * 0.3, 2) * (0.6 * 0.6 * 0.7 * 0.7);

struct HandCase {
    const char* name;
    Dataset data;
    double expected;
};

TEST(Enumerator, MatchesLikelihoodsWorkedByHand) {
    const double p = 0.6, q = 0.4;
    const HandCase cases[] = {
        {"trio", handDataset({marker({p, q})}, {}, {{founder(male, {{1, 2}}), founder(female, {{1, 1}}), child(0, 1, male, {{2, 1}})}}),
         2 * p * q * p * p * 0.5},
        {"inconsistent trio", handDataset({marker({p, q})}, {}, {{founder(male, {{1, 1}}), founder(female, {{1, 1}}), child(0, 1, male, {{2, 2}})}}), 0.0},
        {"affected founder of class 2", handDataset({affection({0.9, 0.1}, {{0.0, 0.5, 1.0}, {0.1, 0.2, 0.3}})}, {}, {{founder(male, {status(2, 2)})}}),
         0.81 * 0.1 + 0.18 * 0.2 + 0.01 * 0.3},
        {"recessive child of unaffected parents",
         handDataset({affection({p, q}, {{0, 0, 1}})}, {}, {{founder(male, {status(1)}), founder(female, {status(1)}), child(0, 1, male, {status(2)})}}),
         2 * p * q * 2 * p * q * 0.25},
        {"sex-linked father to daughter",
         handDataset({marker({0.3, 0.7})}, {}, {{founder(male, {{1, 0}}), founder(female, {untyped}), child(0, 1, female, {{2, 1}})}}, true), 0.3 * 0.7},
        {"sex-linked father to son",
         handDataset({marker({0.3, 0.7})}, {}, {{founder(male, {{1, 0}}), founder(female, {{1, 2}}), child(0, 1, male, {{2, 0}})}}, true),
         0.3 * 2 * 0.3 * 0.7 * 0.5},
        {"sex-linked affected male", handDataset({affection({0.8, 0.2}, {{0.5, 0.5, 0.5}}, {{0.1, 0.9}})}, {}, {{founder(male, {status(2)})}}, true),
         0.8 * 0.1 + 0.2 * 0.9},
        {"sex-linked affected female", handDataset({affection({0.8, 0.2}, {{0.0, 0.5, 1.0}}, {{0.1, 0.9}})}, {}, {{founder(female, {status(2)})}}, true),
         2 * 0.8 * 0.2 * 0.5 + 0.2 * 0.2},
        {"two-locus trait founder",
         handDataset({trait({0.7, 0.3}), trait({0.6, 0.4}, {{0, 0, 0, 0, 0.5, 1, 0, 1, 1}})}, {0.2}, {{founder(male, {untyped, status(2)})}}),
         0.42 * (0.5 * 0.48 + 0.16) + 0.09 * (0.48 + 0.16)},
        {"sex-linked two-locus trait male",
         handDataset({trait({0.7, 0.3}), trait({0.6, 0.4}, {std::vector<double>(9)}, {{0, 0.2, 0.4, 1}})}, {0.2}, {{founder(male, {untyped, status(2)})}}, true),
         0.7 * 0.4 * 0.2 + 0.3 * 0.6 * 0.4 + 0.3 * 0.4 * 1.0},
        {"backcross recombinant", backcross(0.1, 2, 1), backcrossFounders * 0.1 / 2},
        {"backcross parental", backcross(0.1, 2, 2), backcrossFounders * 0.9 / 2},
    };
    for (const HandCase& c : cases) EXPECT_NEAR(likelihood(c.data, 0), c.expected, 1e-12 * c.expected) << c.name;
}

TEST(Enumerator, AgreesWithFastlinkOnEveryBlockAndPedigree) {
    SKIP_WITHOUT_FASTLINK();
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const Dataset data = geneDroppedDataset(seed, {.maxPersons = 6, .maxPedigrees = 2, .maxMarkers = 2, .maxAlleles = 4});
        const std::vector<FastlinkBlock> blocks = runFastlink(toPedlikLocusFile(data), toLinkagePedigreeFile(data));
        const std::vector<double> thetas = lodScoreThetas(data);
        ASSERT_EQ(blocks.size(), thetas.size()) << "seed " << seed;
        for (size_t b = 0; b < blocks.size(); ++b) {
            ASSERT_EQ(blocks[b].pedigreeLnLikelihoods.size(), data.pedigrees.size()) << "seed " << seed;
            for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
                EXPECT_NEAR(blocks[b].pedigreeLnLikelihoods[p], std::log(likelihood(withVariedTheta(data, thetas[b]), p)), 2e-6)
                    << "seed " << seed << " block " << b;
            }
        }
    }
}

}  // namespace
}  // namespace pedlik::oracle

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "driver/part_merge.hpp"
#include "driver/part_run.hpp"
#include "driver/unit_dealing.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

// Through the file format and back, as a part's file reaches the merge.
PartRecord throughFile(PartRecord record) {
    record.fingerprint = "0123456789abcdef";
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    writePartFile(record, out);
    std::fclose(out);
    PartReading reading = readPartFile(std::string(buffer, size));
    std::free(buffer);
    EXPECT_EQ(reading.problem, "");
    return reading.record;
}

bool sameCurves(const LodCurve& a, const LodCurve& b) {
    const auto bits = [](const std::vector<double>& values) {
        std::vector<std::uint64_t> words;
        for (double value : values) words.push_back(std::bit_cast<std::uint64_t>(value));
        return words;
    };
    if (a.pedigreeIds != b.pedigreeIds || a.thetas != b.thetas || bits(a.totals) != bits(b.totals)) return false;
    for (std::size_t v = 0; v < a.logLikelihoods.size(); ++v) {
        if (bits(a.logLikelihoods[v]) != bits(b.logLikelihoods[v])) return false;
    }
    return a.logLikelihoods.size() == b.logLikelihoods.size();
}

// Split into 1, 2, 3 and 7 parts, merged in shuffled order, a run reports
// what the whole run reports, line for line, and measures the same curve to
// the bit: with and without conditioning, several pedigrees and values, and
// values of likelihood 0.
TEST(SplitRun, MergedPartsReportWhatTheWholeRunReports) {
    int conditioned = 0, compared = 0;
    for (std::uint64_t seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        oracle::Dataset data = oracle::randomTinyDataset(seed, {.geneDropped = seed % 3 != 0, .minLoci = 2});
        if (seed % 3 == 2) data = oracle::withRigidModel(data);
        const bool conditioning = seed % 2 == 0;
        const OrderLimits limits{.conditionThreshold = conditioning ? 24.0 : 2e6, .locusGroupPersons = seed % 4 == 0 ? 0 : 15};
        // Orders may mark more variables than the elimination then conditions on.
        const EliminationSettings settings{.conditioningThreshold = seed % 4 == 2 ? 200.0 : limits.conditionThreshold};
        if (!loadDataset(data)) continue;
        LodCurve curve;
        const std::string report = lodScoreReport(limits, settings, &curve);
        conditioned += showsConditioning(report) ? 1 : 0;
        ++compared;
        std::mt19937_64 shuffle(seed);
        for (int parts : {1, 2, 3, 7}) {
            std::vector<PartRecord> records;
            for (int part = 1; part <= parts; ++part) {
                ASSERT_TRUE(loadDataset(data));
                records.push_back(throughFile(quietly([&] { return runPart(runParameters.pedigrees, parts, part, limits, settings); })));
            }
            std::shuffle(records.begin(), records.end(), shuffle);
            const MergedRun merged = mergeParts(records, std::vector<std::string>(records.size(), "part"));
            ASSERT_EQ(merged.problem, "") << parts << " parts";
            ::testing::internal::CaptureStdout();
            printMergedReport(merged);
            EXPECT_EQ(reportResultLines(::testing::internal::GetCapturedStdout()), reportResultLines(report)) << parts << " parts";
            EXPECT_TRUE(sameCurves(merged.curve, curve)) << parts << " parts";
        }
        if (HasFailure()) return;
    }
    EXPECT_GE(conditioned, 8);
    EXPECT_GE(compared, 80);
}

// Neighbouring branches tend to cost alike (the first few of a variable are
// often impossible and nearly free), so the parts that share a pedigree at a
// value take its branches in turn: every first k of them hold each such
// part's proportional share to within one. The sharing stays as the cut into
// runs of equal predicted cost made it: a part touches a pedigree at a value
// only where that cut gave it some of its branches.
TEST(SplitRun, PartsSharingAPedigreeAtAValueTakeItsBranchesInTurn) {
    const std::vector<double> costs{5e9, 1e6, 2e8};
    const std::vector<int> branches{7, 0, 5};
    int shared = 0;
    for (int parts : {2, 3, 5, 8, 64}) {
        const UnitDealing dealing(parts, 3, costs, branches);
        for (int value = 0; value < 3; ++value) {
            for (int pedigree = 0; pedigree < 3; ++pedigree) {
                const int count = std::max(1, branches[pedigree]);
                std::vector<int> owners;
                for (int branch = 0; branch < count; ++branch) owners.push_back(dealing.owner(value, pedigree, branch));
                std::vector<int> sharing = owners;
                std::sort(sharing.begin(), sharing.end());
                sharing.erase(std::unique(sharing.begin(), sharing.end()), sharing.end());
                shared += sharing.size() > 1 ? 1 : 0;
                for (int part = 0; part < parts; ++part) {
                    const long total = std::count(owners.begin(), owners.end(), part);
                    EXPECT_EQ(dealing.ownsAny(part, value, pedigree), total > 0) << parts << " parts, part " << part;
                    for (int first = 1; first <= count; ++first) {
                        const double held = static_cast<double>(std::count(owners.begin(), owners.begin() + first, part));
                        EXPECT_LT(std::abs(held - static_cast<double>(total) * first / count), 1.0)
                            << parts << " parts, value " << value << ", pedigree " << pedigree << ", part " << part;
                    }
                }
            }
        }
    }
    EXPECT_GE(shared, 5);
}

}  // namespace
}  // namespace pedlik::testing

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "driver/part_merge.hpp"
#include "driver/part_run.hpp"
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

}  // namespace
}  // namespace pedlik::testing

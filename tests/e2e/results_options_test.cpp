// --summary, --table and --plot as a user runs them: the report stays as it
// was, the table holds the report's numbers and each pedigree's, a pedigree
// of likelihood 0 is left out where the enumerator says so, and the images
// are of the format asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "oracle/enumerator.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

std::map<std::string, std::string> bundledExample() {
    return {{"datafile3.dat", readFile(examplePath("datafile3.dat"))}, {"pedfile3.dat", readFile(examplePath("pedfile3.dat"))}};
}

std::vector<std::string> filesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Rows of one kind: the per-value totals, or the one max_lod or hlod row.
std::vector<TableRow> rowsOf(const std::vector<TableRow>& rows, const std::string& kind) {
    std::vector<TableRow> chosen;
    for (const TableRow& row : rows) {
        if (row.pedigree == kind) chosen.push_back(row);
    }
    return chosen;
}

TEST(ResultsOptions, ReportUnchangedThenSummaryTableAndImagesOfTheSameNumbers) {
    const ScratchDir out;
    const std::string table = (out.path() / "lod.tsv").string();
    const RunResult run = runWithFiles(bundledExample(), {"--summary", "--table", table, "--plot", (out.path() / "lod.png").string()});
    ASSERT_TRUE(run.status == 0 && run.err.empty()) << run.err;
    const std::string golden = readFile(PEDLIK_SOURCE_DIR "/tests/e2e/golden/make_run.out");
    ASSERT_EQ(maskTimings(run.out).substr(0, golden.size()), golden);

    const std::vector<TableRow> rows = readResultsTable(readFile(table));
    const LodReport report = parseLodReport(run.out);
    const std::vector<TableRow> totals = rowsOf(rows, "total");
    ASSERT_EQ(totals.size(), report.blocks.size());
    double sum = 0.0;
    for (const TableRow& row : rows) {
        if (row.pedigree == "total") {
            const auto block = std::find_if(report.blocks.begin(), report.blocks.end(),
                                            [&](const ReportedBlock& b) { return std::fabs(std::stod(b.theta) - row.theta) < 1e-9; });
            ASSERT_NE(block, report.blocks.end()) << row.theta;
            EXPECT_NEAR(row.logLikelihood, block->values.at(0), 1e-6) << block->theta;
            EXPECT_NEAR(row.lod, block->values.at(4), 1e-6) << block->theta;
            EXPECT_NEAR(row.lod, sum, 2e-6) << "pedigrees' sum at " << row.theta;
            sum = 0.0;
        } else if (row.pedigree != "max_lod" && row.pedigree != "hlod") {
            sum += row.lod;
        }
    }
    const TableRow maxLod = rowsOf(rows, "max_lod").at(0), hlod = rowsOf(rows, "hlod").at(0);
    for (const TableRow& total : totals) EXPECT_LE(total.lod, maxLod.lod);
    EXPECT_TRUE(hlod.lod >= maxLod.lod && hlod.alpha >= 0.0 && hlod.alpha <= 1.0) << hlod.lod << " " << hlod.alpha;
    char lines[200];
    std::snprintf(lines, sizeof lines, "\nMaximum LOD score: %.4f at theta %.4f\nMaximum HLOD: %.4f at theta %.4f, alpha %.4f\n",
                  maxLod.lod, maxLod.theta, hlod.lod, hlod.theta, hlod.alpha);
    EXPECT_NE(run.out.find(lines), std::string::npos) << run.out.substr(golden.size());
    EXPECT_EQ(readFile(out.path() / "lod.png").substr(0, 8), "\x89PNG\r\n\x1a\n");

    // The same table on standard output, an SVG image, and no other file left behind.
    const RunResult svg = runWithFiles(bundledExample(), {"--plot", (out.path() / "lod.svg").string(), "--table", "-"});
    ASSERT_TRUE(svg.status == 0 && svg.err.empty()) << svg.err;
    EXPECT_EQ(svg.out.substr(svg.out.size() - readFile(table).size()), readFile(table));
    EXPECT_NE(readFile(out.path() / "lod.svg").find("<svg"), std::string::npos);
    EXPECT_EQ(filesIn(out.path()), (std::vector<std::string>{"lod.png", "lod.svg", "lod.tsv"}));
}

TEST(ResultsOptions, MissingPlotToolStopsBeforeAnyFileIsOpened) {
    const RunResult run = runWithFiles(bundledExample(), {"--plot", "lod.png"}, "", "PATH=/nonexistent");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pedlik: --plot needs gnuplot, which is not installed (scripts/install-deps.sh --plot installs it)\n");
}

// Three generations make the father's phase known (a fully penetrant
// dominant trait, whose carriers trimming finds): his affected child in
// pedigree 1 is a recombinant, in pedigree 2 not. At fraction 0 pedigree 1
// has likelihood 0: it is -Inf there, the total is pedigree 2's alone, and
// the maxima skip that value, where pedigree 2 alone would score highest.
TEST(ResultsOptions, PedigreeOfLikelihoodZeroIsLeftOutOfTotalAndMaxima) {
    using namespace oracle::hand;
    const auto person = [](int status, int a, int b) { return std::vector<oracle::Phenotype>{{0, 0, status}, {a, b}}; };
    std::vector<std::vector<oracle::PersonRecord>> pedigrees;
    for (const int paternal : {2, 1}) {
        pedigrees.push_back({founder(true, person(2, 1, 1)), founder(false, person(1, 2, 2)), child(0, 1, true, person(2, 1, 2)),
                             founder(false, person(1, 1, 1)), child(2, 3, false, person(2, paternal, 1))});
    }
    oracle::Dataset data = oracle::handDataset({affection({0.9, 0.1}, {{0.0, 1.0, 1.0}}), marker({0.5, 0.5})}, {0.0}, pedigrees);
    data.programCode = 5;
    const ScratchDir out;
    const RunResult run = runOnDataset(data, {"--table", (out.path() / "t.tsv").string()});
    ASSERT_TRUE(run.status == 0 && run.err.empty()) << run.err;
    const std::vector<TableRow> rows = readResultsTable(readFile(out.path() / "t.tsv"));
    ASSERT_EQ(rows.size(), 3 * oracle::lodScoreThetas(data).size() + 2);
    double best = -INFINITY;
    for (size_t r = 0; r + 2 < rows.size(); r += 3) {
        const oracle::Dataset at = oracle::withVariedTheta(data, rows[r].theta);
        const double first = oracle::likelihood(at, 0), second = oracle::likelihood(at, 1);
        EXPECT_EQ(first == 0.0, rows[r].theta == 0.0);
        EXPECT_TRUE(first > 0.0 ? std::fabs(rows[r].logLikelihood - std::log(first)) <= 1e-6 : rows[r].logLikelihood == -INFINITY) << rows[r].theta;
        EXPECT_NEAR(rows[r + 1].logLikelihood, std::log(second), 1e-6) << rows[r].theta;
        EXPECT_NEAR(rows[r + 2].logLikelihood, (first > 0.0 ? std::log(first) : 0.0) + std::log(second), 1e-6) << rows[r].theta;
        EXPECT_NEAR(rows[r + 2].lod, (first > 0.0 ? rows[r].lod : 0.0) + rows[r + 1].lod, 1e-6) << rows[r].theta;
        if (first > 0.0) best = std::max(best, rows[r + 2].lod);
    }
    EXPECT_GT(rows[1].lod, best);  // pedigree 2 alone at fraction 0
    EXPECT_EQ(rows[rows.size() - 2].lod, best);
}

}  // namespace
}  // namespace pedlik::testing

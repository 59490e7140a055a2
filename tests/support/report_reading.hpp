#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_binary.hpp"

// Reading pedlik's reports. Every regular expression of the tests lives behind this header, in one file built without
// optimisation: each file that instantiates them costs seconds of compilation, more when optimised.
namespace pedlik::testing {

// The report with its timings (which differ from run to run) masked.
std::string maskTimings(const std::string& out);
// The lines of a LOD-score report that a merge of its parts prints too: no
// progress, no timings, no blank lines.
std::string reportResultLines(const std::string& out);
// Status 0, nothing on standard error, the two timing lines last.
::testing::AssertionResult endedNormally(const RunResult& run);
// Only the copies of a conditioned product print a share below 100 percent.
bool showsConditioning(const std::string& out);

struct ReportedBlock {
    std::string theta;
    std::vector<double> values;  // LN(LIKE) to LOD_SCORE; none for "The likelihood is 0.0"
};
struct LodReport {
    bool stoppedAtFirstPass = false;  // the zero line before any block
    std::vector<ReportedBlock> blocks;
    std::string fault;  // a malformed report
};
LodReport parseLodReport(const std::string& out);

struct EmIteration {
    double logLikelihood = 0.0;
    std::vector<double> thetas;
    std::string note;  // "rejected", "start 0.1", "all 0.5", or none
};
// The "EM ITERATION" lines in order; std::runtime_error unless numbered 1, 2, ...
std::vector<EmIteration> emIterations(const std::string& out);
// The iteration count of the closing "EM ESTIMATES" line with its numeric fractions; -1 without one.
int estimatedIterations(const std::string& out);
struct MlLines {
    int iterations = -1;  // -1: no well-formed ML lines end the report
    std::vector<double> thetas;
    std::vector<double> values;  // ln L at the estimates, ln L at 0.5, LOD
    std::vector<int> notInformative;
    bool localMaxima = false;
};
MlLines mlLines(const std::string& out);
// The report without its "EM" lines and the blank line before each.
std::string withoutEmLines(const std::string& out);
struct TableRow {
    double theta = 0.0;
    std::string pedigree;  // a number, "total", "max_lod" or "hlod"
    double logLikelihood = 0.0, lod = 0.0, alpha = 0.0;  // NA is NaN
};
// A --table file's rows; std::runtime_error unless it has the header and
// every row five fields, numeric ones numbers, NA or -Inf.
std::vector<TableRow> readResultsTable(const std::string& text);
// A locus data file with its program code (the fourth number of its first line) replaced.
std::string withProgramCode(const std::string& locusFile, int code);

}  // namespace pedlik::testing

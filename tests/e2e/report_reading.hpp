#pragma once

#include <string>
#include <vector>

// Reading pedlik's report back in end-to-end tests.
namespace pedlik::testing {

// The report without the lines that --estimates adds.
std::string withoutEstimates(const std::string& out);

// The ln L of every "EM ITERATION" line, in order, checking that they are numbered 1, 2, ...
std::vector<double> iterationLogLikelihoods(const std::string& out);

// The iteration count of the closing "EM ESTIMATES" line; -1 without one.
int estimatedIterations(const std::string& out);

// The first "LN(LIKE)    = " value of a LOD-score report.
double firstLodLogLikelihood(const std::string& out);

// A locus data file with its program code (the fourth number of its first line) replaced.
std::string withProgramCode(const std::string& locusFile, int code);

}  // namespace pedlik::testing

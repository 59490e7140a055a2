#pragma once

#include <string>
#include <vector>

// FASTLINK as a black-box oracle: its `unknown` and `mlink` programs run on
// LINKAGE files in a scratch folder, and their report `outfile.dat` is read
// back.
namespace pedlik::oracle {

// One THETAS block of the report. mlink prints a first block with the
// varied fraction at 0.5, then one per value from the start value upward by
// the increment while the value is at most the stop value (within rounding),
// none when the start is above the stop. pedlik's report has the same
// values when the stop lies half an increment past the last one and the
// start is not 0.5 (randomTinyDataset and geneDroppedDataset choose such
// mode lines).
struct FastlinkBlock {
    std::vector<double> thetas;                 // every recombination fraction of the block, to 3 decimals
    std::vector<double> pedigreeLnLikelihoods;  // one per pedigree, in file order, to 6 decimals
    double lnLikelihood = 0.0;                  // the TOTALS line, to 6 decimals
};

// Whether both programs are on the PATH.
bool fastlinkAvailable();

// Runs `unknown`, then `mlink`, on the two file texts (see toLinkageLocusFile
// and toLinkagePedigreeFile) and returns the blocks in report order. Throws
// std::runtime_error, with the end of the program's output, when a program
// fails, runs past `timeoutSeconds`, or leaves no readable report.
std::vector<FastlinkBlock> runFastlink(const std::string& locusText, const std::string& pedigreeText,
                                       int timeoutSeconds = 120);

}  // namespace pedlik::oracle

#pragma once

#include <string>
#include <vector>

#include "driver/em_report.hpp"
#include "results/result_request.hpp"

namespace pedlik {

// The command line: options may stand anywhere, "--" ends them, and the
// other arguments are the two paths, in this order (further ones are
// ignored), so a command line without options means what it always did.
struct CommandLine {
    const char* locusPath = "datafile3.dat";
    const char* pedigreePath = "pedfile3.dat";
    bool estimates = false;  // --estimates: report the EM iterations of the bucket-tree mode
    bool preMakeped = false; // --pre-makeped: pedigree lines give parents by person number
    bool linkageOrder = false;  // --linkage-order: the locus order line read as LINKAGE programs read it
    bool help = false;       // --help
    bool version = false;    // --version
    int threads = 1;         // --threads N (default: one per core)
    double memoryBytes = 0.0;  // --memory SIZE: tables one conditioning branch (or bucket tree) may hold; 0 keeps the default
    ResultRequest results;     // --summary, --table FILE, --plot FILE
    MlSettings ml;             // --ml, --ml-tolerance X, --ml-max-iterations N (either of the last two implies --ml)
    int parts = 0, part = 0;   // --parts N --part K: compute share K of N of the run (0: the whole run)
    std::string partPath;      // --out FILE: the part file (default pedlik-part-K-of-N.txt)
    bool merge = false;        // --merge: the arguments are part files to merge
    std::vector<std::string> arguments;  // every argument that is not an option, in order
    // Why the command line is refused: its first argument that looks like an
    // option but is none, a thread count, iteration count or tolerance that
    // is not a positive number, a size that is none, a file option without a
    // file, or split options that do not go together.
    std::string refusal;
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The --help text and the --version line, on standard output; the report of
// a refused command line on standard error.
void printUsage();
void printVersion();
// "pedlik 1.0.0", as --version prints it.
const char* programVersion();
void printRefusal(const std::string& refusal);

}  // namespace pedlik

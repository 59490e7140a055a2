#pragma once

#include <string>

namespace pedlik {

// The command line: options may stand anywhere, "--" ends them, and the
// other arguments are the two paths, in this order (further ones are
// ignored), so a command line without options means what it always did.
struct CommandLine {
    const char* locusPath = "datafile3.dat";
    const char* pedigreePath = "pedfile3.dat";
    bool estimates = false;  // --estimates: report the EM iterations of the bucket-tree mode
    bool help = false;       // --help
    bool version = false;    // --version
    // --memory SIZE: bytes of tables one conditioning branch may hold; 0 keeps the default.
    double memoryBytes = 0.0;
    std::string unknownOption;  // the first argument that looks like an option but is none
    std::string badValue;       // the first option whose value is missing or wrong, with that value
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The --help text and the --version line, on standard output; the report of
// an unknown option on standard error.
void printUsage();
void printVersion();
void printUnknownOption(const std::string& option);
void printBadValue(const std::string& optionAndValue);

}  // namespace pedlik

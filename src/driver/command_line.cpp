#include "driver/command_line.hpp"

#include <cstdio>
#include <cstring>

namespace pedlik {

namespace {

constexpr const char* version = "pedlik 1.0.0";

constexpr const char* usage =
    "Usage: pedlik [OPTION]... [LOCUS_FILE [PEDIGREE_FILE]]\n"
    "\n"
    "Computes the exact likelihood of pedigree data under a multilocus genetic\n"
    "model. LOCUS_FILE (default datafile3.dat) describes the loci; its program\n"
    "code selects the computation:\n"
    "  5  LOD-score mode: the log-likelihood and the LOD score of all pedigrees\n"
    "     for a series of values of the varied recombination fraction;\n"
    "  4  bucket-tree mode: re-estimates every recombination fraction by\n"
    "     expectation-maximisation over bucket trees, until the mean relative\n"
    "     change falls below 0.07;\n"
    "     any other code stops after genotype elimination and network\n"
    "     construction.\n"
    "PEDIGREE_FILE (default pedfile3.dat) holds one line per person.\n"
    "\n"
    "Options may stand anywhere on the command line; \"--\" ends them.\n"
    "  --estimates  bucket-tree mode: after each bucket-tree elimination over all\n"
    "               pedigrees, also print the iteration number, the natural\n"
    "               log-likelihood at the fractions it used and those fractions;\n"
    "               at the end, the estimated fractions\n"
    "  --help       print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 after a complete run, 1 after an input error, an allocation\n"
    "failure or an unknown option, 255 when an input file cannot be opened.\n";

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    int positional = 0;
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const char* argument = argv[k];
        const bool isOption = !optionsEnded && std::strncmp(argument, "--", 2) == 0;
        if (!isOption) {
            if (positional == 0) line.locusPath = argument;
            if (positional == 1) line.pedigreePath = argument;
            ++positional;
        } else if (std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(argument, "--estimates") == 0) {
            line.estimates = true;
        } else if (std::strcmp(argument, "--help") == 0) {
            line.help = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            line.version = true;
        } else if (line.unknownOption.empty()) {
            line.unknownOption = argument;
        }
    }
    return line;
}

void printUsage() { std::fputs(usage, stdout); }

void printVersion() { std::printf("%s\n", version); }

void printUnknownOption(const std::string& option) {
    std::fprintf(stderr, "pedlik: unknown option %s\nTry 'pedlik --help'.\n", option.c_str());
}

}  // namespace pedlik

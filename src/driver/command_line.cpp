#include "driver/command_line.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
    "  --memory SIZE  bytes of tables one branch of the elimination may hold at\n"
    "               once, with a suffix K, M or G for powers of 1024 (default\n"
    "               2G); beyond it the elimination conditions on variables\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 after a complete run, 1 after an input error, an allocation\n"
    "failure, an unknown option or a wrong option value, 255 when an input file\n"
    "cannot be opened.\n";

// "512M", "2G", "1000000": bytes, the suffixes in powers of 1024; 0 when
// the text is not such a size.
double parseSize(const char* text) {
    char* end = nullptr;
    double size = std::strtod(text, &end);
    if (end == text || !(size > 0.0) || !std::isfinite(size)) return 0.0;
    const char* suffixes = "KMG";
    if (*end != '\0') {
        const char* suffix = std::strchr(suffixes, *end);
        if (suffix == nullptr || end[1] != '\0') return 0.0;
        for (const char* power = suffixes; power <= suffix; ++power) size *= 1024.0;
    }
    return size;
}

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
        } else if (std::strcmp(argument, "--memory") == 0) {
            const char* value = k + 1 < argc ? argv[++k] : "";
            line.memoryBytes = parseSize(value);
            if (line.memoryBytes == 0.0 && line.badValue.empty()) line.badValue = std::string(argument).append(" ").append(value);
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

void printBadValue(const std::string& optionAndValue) {
    std::fprintf(stderr, "pedlik: invalid value in %s\nTry 'pedlik --help'.\n", optionAndValue.c_str());
}

void printUnknownOption(const std::string& option) {
    std::fprintf(stderr, "pedlik: unknown option %s\nTry 'pedlik --help'.\n", option.c_str());
}

}  // namespace pedlik

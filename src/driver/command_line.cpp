#include "driver/command_line.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/errors.hpp"

namespace pedlik {

namespace {

constexpr const char* version = "pedlik 1.0.0";
constexpr int maxThreads = 1024;

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
    "  --threads N  LOD-score mode: eliminate pedigrees and conditioning branches\n"
    "               on N threads (1 to 1024; default: one per processor core);\n"
    "               the report is the same for any N\n"
    "  --help       print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 after a complete run, 1 after an input error, an allocation\n"
    "failure, an unknown option or an invalid thread count, 255 when an input\n"
    "file cannot be opened.\n";

// A whole decimal number from 1 to maxThreads.
bool readThreadCount(const char* text, int& threads) {
    if (text == nullptr || *text < '1' || *text > '9' || std::strlen(text) > 4) return false;
    for (const char* digit = text; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') return false;
    }
    const int count = std::atoi(text);
    if (count > maxThreads) return false;
    threads = count;
    return true;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    line.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
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
        } else if (std::strcmp(argument, "--threads") == 0 || std::strncmp(argument, "--threads=", 10) == 0) {
            const char* count = argument[9] == '=' ? argument + 10 : k + 1 < argc ? argv[++k] : nullptr;
            if (!readThreadCount(count, line.threads) && line.refusal.empty()) {
                line.refusal = count == nullptr ? "option --threads needs a number"
                                                : formatMessage("invalid thread count '%s'", count);
            }
        } else if (line.refusal.empty()) {
            line.refusal = formatMessage("unknown option %s", argument);
        }
    }
    return line;
}

void printUsage() { std::fputs(usage, stdout); }

void printVersion() { std::printf("%s\n", version); }

void printRefusal(const std::string& refusal) {
    std::fprintf(stderr, "pedlik: %s\nTry 'pedlik --help'.\n", refusal.c_str());
}

}  // namespace pedlik

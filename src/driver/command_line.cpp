#include "driver/command_line.hpp"

#include <algorithm>
#include <cmath>
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
    "  --summary    LOD-score mode: after the report, each pedigree's LOD score\n"
    "               at every value of the varied fraction with their total, the\n"
    "               maximum LOD score and the heterogeneity LOD score (HLOD)\n"
    "               with the proportion of linked families (alpha)\n"
    "  --table FILE  LOD-score mode: the same numbers as tab-separated values\n"
    "               with a header line (\"-\": standard output)\n"
    "  --plot FILE  LOD-score mode: draw the LOD curves with gnuplot, as PNG or\n"
    "               SVG by the file's extension (.png, .svg)\n"
    "  --help       print this help and exit\n"
    "  --memory SIZE  bytes of tables one branch of the elimination may hold at\n"
    "               once, with a suffix K, M or G for powers of 1024 (default\n"
    "               2G); beyond it the elimination conditions on variables;\n"
    "               in the bucket-tree mode, bytes of tables one pedigree's\n"
    "               bucket tree keeps\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 after a complete run, 1 after an input error, an allocation\n"
    "failure, an unknown option, an invalid thread count or size, or a results\n"
    "file that cannot be made, 255 when an input file cannot be opened.\n";

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

// "512M", "2G", "1000000": bytes, the suffixes in powers of 1024; 0 when
// the text is not such a size.
double parseSize(const char* text) {
    if (text == nullptr) return 0.0;
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

// The value of an option given as "--name VALUE" or "--name=VALUE"; none
// when the command line ends first.
const char* optionValue(const char* argument, std::size_t nameLength, int argc, const char* const* argv, int& k) {
    if (argument[nameLength] == '=') return argument + nameLength + 1;
    return k + 1 < argc ? argv[++k] : nullptr;
}

bool isOptionNamed(const char* argument, const char* name) {
    const std::size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 && (argument[length] == '\0' || argument[length] == '=');
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
        } else if (std::strcmp(argument, "--summary") == 0) {
            line.results.summary = true;
        } else if (isOptionNamed(argument, "--table") || isOptionNamed(argument, "--plot")) {
            const bool table = isOptionNamed(argument, "--table");
            const char* name = table ? "--table" : "--plot";
            const char* path = optionValue(argument, std::strlen(name), argc, argv, k);
            (table ? line.results.tablePath : line.results.plotPath) = path == nullptr ? "" : path;
            if ((path == nullptr || *path == '\0') && line.refusal.empty()) {
                line.refusal = formatMessage("option %s needs a file name", name);
            }
        } else if (isOptionNamed(argument, "--memory")) {
            const char* size = optionValue(argument, 8, argc, argv, k);
            line.memoryBytes = parseSize(size);
            if (line.memoryBytes == 0.0 && line.refusal.empty()) {
                line.refusal = size == nullptr ? "option --memory needs a size"
                                               : formatMessage("invalid size '%s'", size);
            }
        } else if (isOptionNamed(argument, "--threads")) {
            const char* count = optionValue(argument, 9, argc, argv, k);
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

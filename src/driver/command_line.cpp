#include "driver/command_line.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/allocation.hpp"
#include "base/errors.hpp"

namespace pedlik {

namespace {

// The version is the project's, given by the build.
constexpr const char* version = "pedlik " PEDLIK_VERSION;
constexpr int maxThreads = 1024;
constexpr int maxMlIterations = 1'000'000;
constexpr int maxParts = 1'000'000;

// One screen (at most 24 lines of at most 80 columns); the manual page has
// the file formats and the details.
constexpr const char* usage =
    "Usage: pedlik [OPTION]... [LOCUS_FILE [PEDIGREE_FILE]]\n"
    "   or: pedlik --merge PART_FILE... [--summary] [--table FILE] [--plot FILE]\n"
    "Exact likelihood of pedigree data (default files datafile3.dat, pedfile3.dat).\n"
    "Program code 5: LOD scores over the varied recombination fraction; 4: EM\n"
    "estimates of every fraction (bucket tree); other: genotype elimination only.\n"
    "Options may stand anywhere; \"--\" ends them.\n"
    "  --estimates      bucket-tree mode: print each EM iteration and the estimates\n"
    "  --ml             bucket-tree mode: EM to the maximum likelihood, then the LOD\n"
    "  --ml-tolerance X, --ml-max-iterations N  ln L gain X (1e-6), passes N (1000)\n"
    "  --threads N      threads, 1 to 1024 (default: one per core); same report\n"
    "  --memory SIZE    bytes of tables one elimination branch (bucket-tree mode:\n"
    "                   one bucket tree) may hold; suffix K, M or G (default 2G)\n"
    "  --summary        LOD-score mode: LOD scores by pedigree, maximum LOD, HLOD\n"
    "  --table FILE     LOD-score mode: the same as tab-separated values (\"-\": out)\n"
    "  --plot FILE      LOD-score mode: LOD curves drawn by gnuplot (.png or .svg)\n"
    "  --pre-makeped    pedigree lines: pedigree, person, father, mother, sex, ...\n"
    "  --parts N --part K [--out FILE]  LOD-score mode: compute share K of N, write\n"
    "                   it to FILE; --merge prints the report of the parts merged\n"
    "  --linkage-order  the locus order line gives the map's loci by file place\n"
    "  --help, --version  print this help, or the version, and exit\n"
    "\n"
    "Exit status: 0 after a complete run, 255 when an input file cannot be opened,\n"
    "1 after any other error (input, memory, options, results or part files).\n"
    "File formats and troubleshooting: man pedlik.\n";

// A whole decimal number from 1 to `most` (at most 9 digits).
bool readCount(const char* text, int most, int& count) {
    if (text == nullptr || *text < '1' || *text > '9' || std::strlen(text) > 9) return false;
    for (const char* digit = text; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') return false;
    }
    const long value = std::atol(text);
    if (value > most) return false;
    count = static_cast<int>(value);
    return true;
}

// A finite number above 0.
bool readPositive(const char* text, double& value) {
    if (text == nullptr) return false;
    char* end = nullptr;
    const double read = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(read > 0.0) || !std::isfinite(read)) return false;
    value = read;
    return true;
}

// The split options that do not go together, or empty.
std::string splitRefusal(const CommandLine& line) {
    const bool split = line.parts > 0 || line.part > 0 || !line.partPath.empty();
    if (line.merge && split) return "--merge does not go with --parts, --part or --out";
    if (line.merge && line.arguments.empty()) return "--merge needs part files";
    if (!split) return "";
    if (line.parts == 0 || line.part == 0) return "--parts N and --part K go together";
    if (line.part > line.parts) return formatMessage("part %d of %d: K must be from 1 to N", line.part, line.parts);
    if (line.results.any()) return "--summary, --table and --plot go with --merge, not with --parts";
    return "";
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
            allocateOrDie("command line", [&] { line.arguments.emplace_back(argument); });
            if (positional == 0) line.locusPath = argument;
            if (positional == 1) line.pedigreePath = argument;
            ++positional;
        } else if (std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(argument, "--estimates") == 0) {
            line.estimates = true;
        } else if (std::strcmp(argument, "--pre-makeped") == 0) {
            line.preMakeped = true;
        } else if (std::strcmp(argument, "--linkage-order") == 0) {
            line.linkageOrder = true;
        } else if (std::strcmp(argument, "--help") == 0) {
            line.help = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            line.version = true;
        } else if (std::strcmp(argument, "--merge") == 0) {
            line.merge = true;
        } else if (isOptionNamed(argument, "--parts") || isOptionNamed(argument, "--part")) {
            const bool parts = isOptionNamed(argument, "--parts");
            const char* count = optionValue(argument, parts ? 7 : 6, argc, argv, k);
            if (!readCount(count, maxParts, parts ? line.parts : line.part) && line.refusal.empty()) {
                line.refusal = formatMessage("invalid %s '%s' (a number from 1 to %d)", parts ? "part count" : "part number",
                                             count == nullptr ? "" : count, maxParts);
            }
        } else if (isOptionNamed(argument, "--out")) {
            const char* path = optionValue(argument, 5, argc, argv, k);
            line.partPath = path == nullptr ? "" : path;
            if (line.partPath.empty() && line.refusal.empty()) line.refusal = "option --out needs a file name";
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
            if (!readCount(count, maxThreads, line.threads) && line.refusal.empty()) {
                line.refusal = count == nullptr ? "option --threads needs a number"
                                                : formatMessage("invalid thread count '%s'", count);
            }
        } else if (std::strcmp(argument, "--ml") == 0) {
            line.ml.requested = true;
        } else if (isOptionNamed(argument, "--ml-tolerance")) {
            const char* tolerance = optionValue(argument, 14, argc, argv, k);
            line.ml.requested = true;
            if (!readPositive(tolerance, line.ml.tolerance) && line.refusal.empty()) {
                line.refusal = tolerance == nullptr ? "option --ml-tolerance needs a number"
                                                    : formatMessage("invalid tolerance '%s'", tolerance);
            }
        } else if (isOptionNamed(argument, "--ml-max-iterations")) {
            const char* count = optionValue(argument, 19, argc, argv, k);
            line.ml.requested = true;
            if (!readCount(count, maxMlIterations, line.ml.maxIterations) && line.refusal.empty()) {
                line.refusal = count == nullptr ? "option --ml-max-iterations needs a number"
                                                : formatMessage("invalid iteration count '%s'", count);
            }
        } else if (line.refusal.empty()) {
            line.refusal = formatMessage("unknown option %s", argument);
        }
    }
    if (line.refusal.empty()) line.refusal = splitRefusal(line);
    return line;
}

void printUsage() { std::fputs(usage, stdout); }

void printVersion() { std::printf("%s\n", version); }

const char* programVersion() { return version; }

void printRefusal(const std::string& refusal) {
    std::fprintf(stderr, "pedlik: %s\nTry 'pedlik --help'.\n", refusal.c_str());
}

}  // namespace pedlik

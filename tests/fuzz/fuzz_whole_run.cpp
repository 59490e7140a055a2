// libFuzzer harness: any bytes, split at the first NUL into a locus data file and a pedigree file, run through the whole
// program with its thresholds lowered, end in a report or an input error, never a crash, hang, leak or sanitizer
// report. A program code of 4 or 5 is run both ways.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <numeric>
#include <string>

#include "driver/main_sequence.hpp"
#include "driver/read_problem.hpp"
#include "fuzz_support.hpp"

namespace {

using namespace pedlik;

// The budget that keeps one run to milliseconds.
constexpr size_t maxBytes = 4096;
constexpr int maxLoci = 4;
constexpr int maxAlleles = 6;
constexpr int maxPersons = 16;
constexpr double maxValuesOfVariedFraction = 10.0;

// Thresholds low enough that small problems take every path: locus-by-locus and whole-product orders, searched
// orders, conditioning, rescaling, incremental and one-pass sum-outs, block-wise bucket-tree tables. The input's
// byte sum picks one set, so mutations move between them.
RunOptions lowered(unsigned pick) {
    RunOptions options;
    OrderLimits& limits = options.limits;
    EliminationSettings& elimination = options.elimination;
    BteSettings& bucketTree = options.bucketTree;
    limits.maxSearchPasses = 16;
    switch (pick % 4) {
        case 0:
            limits.conditionThreshold = elimination.conditioningThreshold = 24.0;
            elimination.rescaleCountdown = bucketTree.rescaleCountdown = 1;
            bucketTree.blockThreshold = 4;
            bucketTree.onePassThreshold = 0;
            break;
        case 1:
            limits.conditionThreshold = elimination.conditioningThreshold = 24.0;
            limits.locusGroupPersons = 0;
            elimination.incrementalThreshold = 0.0;
            bucketTree.incrementalThreshold = 0;
            break;
        case 2:
            limits.memoryEntries = 300.0;
            limits.searchFrom = 0.0;
            bucketTree.blockThreshold = 64;
            break;
        default:
            limits.locusGroupPersons = 3;
            limits.conditionThreshold = elimination.conditioningThreshold = 200.0;
            elimination.rescaleCountdown = bucketTree.rescaleCountdown = 2;
            bucketTree.onePassThreshold = 16;
            break;
    }
    return options;
}

bool withinBudget() {
    const RunParameters& run = runParameters;
    if (run.lociCount > maxLoci) return false;
    for (const Locus& locus : run.loci) {
        if (locus.alleleCount > maxAlleles || locus.liabilityClassCount > maxAlleles) return false;
    }
    int persons = 0;
    for (const Pedigree* pedigree = run.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        persons += pedigree->personCount;
    }
    if (persons > maxPersons) return false;
    // Counted whatever the program code, which the harness may change to 5.
    if (run.variedThetaIndex < 1 || run.thetaVals.empty()) return true;
    const double start = run.thetaVals[static_cast<size_t>(run.variedThetaIndex - 1)].theta;
    return !(start < run.thetaStop) ||
           (run.thetaIncrement > 0.0 && (run.thetaStop - start) / run.thetaIncrement <= maxValuesOfVariedFraction);
}

// Where the program code, the fourth number of the locus file, stands: npos when it is neither 4 nor 5.
size_t programCodeAt(const std::string& locus) {
    size_t at = 0;
    for (int field = 0; field < 4; ++field) {
        at = locus.find_first_not_of(" \t\r\n", field == 0 ? 0 : locus.find_first_of(" \t\r\n", at));
        if (at == std::string::npos) return at;
    }
    const bool single = at + 1 == locus.size() || std::isspace(static_cast<unsigned char>(locus[at + 1]));
    return single && (locus[at] == '4' || locus[at] == '5') ? at : std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // An empty input file makes the program wait for Enter.
    return std::freopen("/dev/null", "r", stdin) == nullptr ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* end = data + size;
    const auto* split = std::find(data, end, uint8_t{0});
    if (size > maxBytes || split == end || fuzzing::hasHugeCount(data, size)) return -1;
    std::string locus(data, split);
    const std::string locusPath = fuzzing::writeScratchFile("datafile.dat", data, locus.size());
    const std::string pedigreePath =
        fuzzing::writeScratchFile("pedfile.dat", split + 1, static_cast<size_t>(end - split - 1));
    bool small = false;
    fuzzing::runUnwinding([&] {
        readProblem(locusPath.c_str(), pedigreePath.c_str());
        small = withinBudget();
    });
    if (!small) return -1;

    const RunOptions options = lowered(std::accumulate(data, end, 0u));
    const size_t codeAt = programCodeAt(locus);
    for (const char code : {'5', '4'}) {
        if (codeAt != std::string::npos) {
            locus[codeAt] = code;
            fuzzing::writeScratchFile("datafile.dat", reinterpret_cast<const uint8_t*>(locus.data()), locus.size());
        }
        fuzzing::runUnwinding([&] { runMainSequence(locusPath.c_str(), pedigreePath.c_str(), options); });
        if (codeAt == std::string::npos) break;
    }
    return 0;
}

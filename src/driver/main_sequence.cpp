#include "driver/main_sequence.hpp"

#include <cstdio>
#include <ctime>

#include "driver/bucket_tree_mode.hpp"
#include "driver/lod_score_mode.hpp"
#include "driver/part_run.hpp"
#include "driver/read_problem.hpp"
#include "driver/split_run.hpp"
#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/network_nodes.hpp"
#include "results/result_files.hpp"

namespace pedlik {

namespace {

// Processor time in milliseconds.
long processorMilliseconds() {
    return static_cast<long>(static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC);
}

void releaseProblem() {
    runParameters.pedigrees = PedigreeList{};
    runParameters.loci.clear();
    runParameters.thetaVals.clear();
    runParameters.lociOrder.clear();
}

}  // namespace

int runMainSequence(const char* locusPath, const char* pedigreePath, const RunOptions& options) {
    // Taken before the files are read, so that it describes what is read.
    const std::string fingerprint = options.parts > 0 ? problemFingerprint(locusPath, pedigreePath, options) : "";
    const int programCode = readProblem(locusPath, pedigreePath, options.fileForms);
    if (options.results.any() && programCode != 5) {
        std::fprintf(stderr, "pedlik: --summary, --table and --plot need the LOD-score mode (program code 5)\n");
        return 1;
    }
    if (options.ml.requested && programCode != 4) {
        std::fprintf(stderr, "pedlik: --ml, --ml-tolerance and --ml-max-iterations need the bucket-tree mode (program code 4)\n");
        return 1;
    }
    if (options.parts > 0 && programCode != 5) {
        std::fprintf(stderr, "pedlik: --parts needs the LOD-score mode (program code 5); the bucket-tree mode's EM "
                             "iterations each need the one before, so it runs whole on one machine\n");
        return 1;
    }

    const bool sexLinked = runParameters.isSexLinked == 1;
    const long t0 = processorMilliseconds();
    if (sexLinked) {
        eliminateGenotypesSexLinked(runParameters.pedigrees);
    } else {
        eliminateGenotypes(runParameters.pedigrees);
    }
    const long t1 = processorMilliseconds();

    const long t2 = processorMilliseconds();
    if (sexLinked) {
        createNetworkNodesSexLinked(runParameters.pedigrees);
    } else {
        createNetworkNodes(runParameters.pedigrees);
    }
    LodCurve curve;
    bool written = true;
    if (programCode == 5 && options.parts > 0) {
        PartRecord record = runPart(runParameters.pedigrees, options.parts, options.part, options.limits, options.elimination);
        record.fingerprint = fingerprint;
        written = writePart(record, options.partPath);
        if (written) {
            std::printf("\nPart %d of %d: %zu units written to %s\n", options.part, options.parts, record.units.size(),
                        options.partPath.c_str());
        }
    } else if (programCode == 5) {
        curve = runLodScoreMode(runParameters.pedigrees, options.limits, options.elimination, options.results.any());
    }
    MlReport estimates;
    if (programCode == 4) {
        WorkQueue queue(options.elimination.threads);
        BteSettings settings = options.bucketTree;
        settings.queue = &queue;
        estimates = runBucketTreeMode(runParameters.pedigrees, options.reportEstimates, options.limits, settings,
                                      options.ml);
    }
    const long t3 = processorMilliseconds();

    std::printf("\nThe time needed for value-elimination is %lf sec.\n", (t1 - t0) * 0.001);
    std::printf("The time needed for calculating the likelihood of the pedigree is %lf sec.\n",
                (t3 - t2) * 0.001);
    printMlReport(estimates);
    const bool reported = !options.results.any() || reportResults(curve, options.results);
    releaseProblem();
    return reported && written ? 0 : 1;
}

}  // namespace pedlik

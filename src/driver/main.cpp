#include <cstdio>
#include <string>

#include "base/errors.hpp"
#include "base/memory_reuse.hpp"
#include "driver/command_line.hpp"
#include "driver/main_sequence.hpp"
#include "driver/split_run.hpp"
#include "results/result_files.hpp"

int main(int argc, char** argv) {
    pedlik::keepReleasedMemoryForReuse();
    const pedlik::CommandLine line = pedlik::parseCommandLine(argc, argv);
    if (!line.refusal.empty()) {
        pedlik::printRefusal(line.refusal);
        return 1;
    }
    if (line.help) {
        pedlik::printUsage();
        return 0;
    }
    if (line.version) {
        pedlik::printVersion();
        return 0;
    }
    // Before any computation: a file that cannot be made stops the run now.
    if (const std::string problem = pedlik::resultFilesProblem(line.results); !problem.empty()) {
        std::fprintf(stderr, "pedlik: %s\n", problem.c_str());
        return 1;
    }
    if (line.merge) return pedlik::runMerge(line.arguments, line.results);
    pedlik::RunOptions options;
    options.results = line.results;
    options.reportEstimates = line.estimates;
    options.ml = line.ml;
    if (line.preMakeped) options.fileForms.pedigree = pedlik::PedigreeFormat::PreMakeped;
    if (line.linkageOrder) options.fileForms.locusOrder = pedlik::LocusOrderReading::MapToDescription;
    options.elimination.threads = line.threads;
    options.parts = line.parts;
    options.part = line.part;
    options.partPath = line.partPath.empty() ? pedlik::formatMessage("pedlik-part-%d-of-%d.txt", line.part, line.parts) : line.partPath;
    if (line.memoryBytes > 0.0) options.limits.memoryEntries = line.memoryBytes / sizeof(double);
    return pedlik::runMainSequence(line.locusPath, line.pedigreePath, options);
}

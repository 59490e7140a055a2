#include "base/memory_reuse.hpp"
#include "driver/command_line.hpp"
#include "driver/main_sequence.hpp"

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
    pedlik::RunOptions options;
    options.reportEstimates = line.estimates;
    options.threads = line.threads;
    if (line.memoryBytes > 0.0) options.limits.memoryEntries = line.memoryBytes / sizeof(double);
    return pedlik::runMainSequence(line.locusPath, line.pedigreePath, options);
}

#include "driver/split_run.hpp"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "driver/command_line.hpp"
#include "driver/part_merge.hpp"
#include "results/result_files.hpp"

namespace pedlik {

namespace {

// FNV-1a, 64 bits: enough to tell problems apart, not a defence against
// forged files.
void hashInto(std::uint64_t& hash, const std::string& text) {
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    hash ^= 0xff;  // ends the field, so that "ab"+"c" differs from "a"+"bc"
    hash *= 0x100000001b3ULL;
}

bool readWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    text = contents.str();
    return static_cast<bool>(in) || in.eof();
}

}  // namespace

std::string problemFingerprint(const char* locusPath, const char* pedigreePath, const RunOptions& options) {
    return allocateOrDie("fingerprint", [&] {
        std::uint64_t hash = 0xcbf29ce484222325ULL;
        std::string text;
        for (const char* path : {locusPath, pedigreePath}) {
            readWhole(path, text);
            hashInto(hash, text);
        }
        const OrderLimits& limits = options.limits;
        const EliminationSettings& elimination = options.elimination;
        hashInto(hash, formatMessage("%s format %d order %d memory %.17g condition %.17g %.17g persons %d search %.17g %.17g "
                                     "incremental %.17g rescale %d",
                                     programVersion(), static_cast<int>(options.fileForms.pedigree),
                                     static_cast<int>(options.fileForms.locusOrder), limits.memoryEntries,
                                     limits.conditionThreshold, elimination.conditioningThreshold,
                                     limits.locusGroupPersons, limits.searchFrom, limits.searchShare,
                                     elimination.incrementalThreshold, elimination.rescaleCountdown));
        return formatMessage("%016" PRIx64, hash);
    });
}

bool writePart(const PartRecord& record, const std::string& path) {
    return allocateOrDie("part file", [&] {
        return writeThroughTemporary(path, [&](const std::string&, std::FILE* out) {
            writePartFile(record, out);
            return std::ferror(out) == 0;
        });
    });
}

int runMerge(const std::vector<std::string>& paths, const ResultRequest& results) {
    std::vector<PartRecord> records;
    for (const std::string& path : paths) {
        std::string text;
        if (!readWhole(path, text) || text.empty()) {
            std::fprintf(stderr, "pedlik: cannot read part file %s\n", path.c_str());
            return 1;
        }
        PartReading reading = readPartFile(text);
        if (!reading.problem.empty()) {
            std::fprintf(stderr, "pedlik: %s %s\n", path.c_str(), reading.problem.c_str());
            return 1;
        }
        allocateOrDie("part file", [&] { records.push_back(std::move(reading.record)); });
    }
    const MergedRun merged = mergeParts(records, paths);
    if (!merged.problem.empty()) {
        std::fprintf(stderr, "pedlik: the parts do not make a whole run: %s\n", merged.problem.c_str());
        return 1;
    }
    printMergedReport(merged);
    return !results.any() || reportResults(merged.curve, results) ? 0 : 1;
}

}  // namespace pedlik

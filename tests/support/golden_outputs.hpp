#pragma once

#include <regex>
#include <string>
#include <vector>

#include "support/run_binary.hpp"

// The bundled examples with their committed LOD-score reports, timings (which differ from run to run) masked.
namespace pedlik::testing {

struct ExampleRun {
    const char* name;
    std::string locusFile, pedigreeFile;  // in examples/
    std::vector<std::string> args;  // none: the default file names
    std::string golden;             // in tests/e2e/golden/
};

inline const std::vector<ExampleRun>& exampleRuns() {
    static const std::vector<ExampleRun> runs = {
        {"MakeRun", "datafile3.dat", "pedfile3.dat", {}, "make_run.out"},
        {"SexLinkedExample", "datafile_xlinked.dat", "pedfile_xlinked.dat",
         {"datafile_xlinked.dat", "pedfile_xlinked.dat"}, "sex_linked_example.out"},
    };
    return runs;
}

inline std::string goldenOutput(const ExampleRun& example) {
    return readFile(PEDLIK_SOURCE_DIR "/tests/e2e/golden/" + example.golden);
}

inline std::string maskTimings(const std::string& out) {
    static const std::regex timing("(The time needed for [^\n]* is )[0-9]+\\.[0-9]+( sec\\.)");
    return std::regex_replace(out, timing, "$1<time>$2");
}

}  // namespace pedlik::testing

#include "driver/read_problem.hpp"

#include <cstdio>

#include "input/end_of_file.hpp"
#include "input/input_files.hpp"
#include "input/locus_reader.hpp"
#include "input/pedigree_reader.hpp"

namespace pedlik {

namespace {

// An empty file is not fatal: the user may go on with it after Enter.
void promptIfEmpty(std::FILE* stream) {
    if (!atEndOfFile(stream)) return;
    std::printf("ERROR: File empty or nonexistent. Press <Enter> to continue or <Ctrl-C> to abort\n");
    std::fflush(stdout);
    int c = std::getchar();
    while (c != EOF && c != '\n') c = std::getchar();
}

}  // namespace

int readProblem(const char* locusPath, const char* pedigreePath) {
    std::FILE* locusStream = nullptr;
    std::FILE* pedigreeStream = nullptr;
    // The pedigree file is opened first, so a missing one stops the run
    // before the locus data file is touched.
    openInputFile(pedigreeStream, pedigreePath);
    openInputFile(locusStream, locusPath);
    promptIfEmpty(pedigreeStream);
    promptIfEmpty(locusStream);
    const int programCode = readLocusDataFile(locusStream, locusPath);
    readPedigreeFile(pedigreeStream, pedigreePath);
    closeInputFile(pedigreeStream, pedigreePath);
    closeInputFile(locusStream, locusPath);
    return programCode;
}

}  // namespace pedlik

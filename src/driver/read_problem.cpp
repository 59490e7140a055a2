#include "driver/read_problem.hpp"

#include <cstdio>
#include <initializer_list>

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

// Streams a fatal error left open are closed when it unwinds (only a test
// harness's handler unwinds; the program itself exits).
struct InputStreams {
    std::FILE* locus = nullptr;
    std::FILE* pedigree = nullptr;
    InputStreams() = default;
    InputStreams(const InputStreams&) = delete;
    InputStreams& operator=(const InputStreams&) = delete;
    ~InputStreams() {
        for (std::FILE* stream : {locus, pedigree}) {
            if (stream != nullptr) std::fclose(stream);
        }
    }
};

}  // namespace

int readProblem(const char* locusPath, const char* pedigreePath, FileForms forms) {
    InputStreams streams;
    std::FILE*& locusStream = streams.locus;
    std::FILE*& pedigreeStream = streams.pedigree;
    // The pedigree file is opened first, so a missing one stops the run
    // before the locus data file is touched.
    openInputFile(pedigreeStream, pedigreePath);
    openInputFile(locusStream, locusPath);
    promptIfEmpty(pedigreeStream);
    promptIfEmpty(locusStream);
    const int programCode = readLocusDataFile(locusStream, locusPath, forms.locusOrder);
    readPedigreeFile(pedigreeStream, pedigreePath, forms.pedigree);
    closeInputFile(pedigreeStream, pedigreePath);
    closeInputFile(locusStream, locusPath);
    return programCode;
}

}  // namespace pedlik

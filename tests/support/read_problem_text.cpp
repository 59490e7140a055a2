#include "support/read_problem_text.hpp"

#include <cstdio>
#include <stdexcept>

#include "input/locus_reader.hpp"
#include "input/pedigree_reader.hpp"
#include "input/process_state.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {

namespace {

std::FILE* openText(const std::string& text) {
    std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (stream == nullptr) throw std::runtime_error("fmemopen failed");
    return stream;
}

}  // namespace

int readLocusText(const std::string& locusText) {
    runParameters = RunParameters{};
    std::FILE* stream = openText(locusText);
    const int programCode = readLocusDataFile(stream);
    std::fclose(stream);
    return programCode;
}

void readProblemText(const std::string& locusText, const std::string& pedigreeText) {
    readLocusText(locusText);
    ScratchDir dir;
    dir.write("pedfile.dat", pedigreeText);
    const std::string path = (dir.path() / "pedfile.dat").string();
    std::FILE* stream = std::fopen(path.c_str(), "r");
    readPedigreeFile(stream, path.c_str());
    std::fclose(stream);
}

}  // namespace pedlik::testing

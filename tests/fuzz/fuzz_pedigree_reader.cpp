// libFuzzer harness: any bytes given as the pedigree file of a fixed
// three-locus model (affection status with two liability classes, two
// markers) end in pedigrees or an input error, never a crash, hang or leak.
#include <cstring>

#include "fuzz_support.hpp"
#include "input/locus_reader.hpp"
#include "input/pedigree_reader.hpp"

namespace {

const char* const model =
    "3 0 0 5 << loci\n0 0.0 0.0 0\n1 3 2\n"
    "1 2 << affection\n0.99 0.01\n2\n0.0 0.5 1.0 class one\n0.1 0.5 0.9 class two\n"
    "3 4\n0.25 0.25 0.25 0.25\n3 2\n0.5 0.5\n0 0\n0.1 0.2\n1 0.1 0.5\n";

void readModel() {
    const std::string path = pedlik::fuzzing::writeScratchFile(
        "datafile.dat", reinterpret_cast<const uint8_t*>(model), std::strlen(model));
    std::FILE* stream = std::fopen(path.c_str(), "r");
    pedlik::readLocusDataFile(stream);
    std::fclose(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pedlik;
    static const bool ready = [] {
        fuzzing::silenceStandardOutput();
        fatalExitHandler = &fuzzing::throwFatalExit;
        return true;
    }();
    (void)ready;
    if (fuzzing::hasHugeNumber(data, size)) return -1;
    readModel();
    const std::string path = fuzzing::writeScratchFile("pedfile.dat", data, size);
    std::FILE* stream = std::fopen(path.c_str(), "r");
    try {
        readPedigreeFile(stream, path.c_str());
    } catch (const fuzzing::FatalExit&) {
    }
    if (stream != nullptr) std::fclose(stream);
    runParameters = RunParameters{};
    return 0;
}

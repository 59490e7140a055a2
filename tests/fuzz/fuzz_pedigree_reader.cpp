// libFuzzer harness: any bytes given as the pedigree file of a fixed three-locus model (affection status with two
// liability classes, two markers) end in pedigrees or an input error, never a crash, hang or leak. Inputs of odd
// length are read as pre-makeped files.
#include <cstring>

#include "fuzz_support.hpp"
#include "input/locus_reader.hpp"
#include "input/pedigree_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pedlik;
    return fuzzing::fuzzReader(data, size, "pedfile.dat", [size](std::FILE*& stream, const char* path) {
        static const char* const model =
            "3 0 0 5 << loci\n0 0.0 0.0 0\n1 3 2\n1 2 << affection\n0.99 0.01\n2\n0.0 0.5 1.0 class one\n"
            "0.1 0.5 0.9 class two\n3 4\n0.25 0.25 0.25 0.25\n3 2\n0.5 0.5\n0 0\n0.1 0.2\n1 0.1 0.5\n";
        const std::string modelPath =
            fuzzing::writeScratchFile("datafile.dat", reinterpret_cast<const uint8_t*>(model), std::strlen(model));
        std::FILE* modelStream = std::fopen(modelPath.c_str(), "r");
        readLocusDataFile(modelStream, modelPath.c_str());
        std::fclose(modelStream);
        readPedigreeFile(stream, path, size % 2 == 1 ? PedigreeFormat::PreMakeped : PedigreeFormat::PostMakeped);
    });
}

// libFuzzer harness: any bytes as a locus data file end in a read problem or an input error, never a crash or leak.
#include "fuzz_support.hpp"
#include "input/locus_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return pedlik::fuzzing::fuzzReader(data, size, "datafile.dat",
                                       [](std::FILE*& stream, const char* path) { pedlik::readLocusDataFile(stream, path); });
}

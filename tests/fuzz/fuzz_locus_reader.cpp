// libFuzzer harness: any bytes given as a locus data file end in a read
// problem or an input error, never a crash, hang or leak.
#include "fuzz_support.hpp"
#include "input/locus_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pedlik;
    static const bool ready = [] {
        fuzzing::silenceStandardOutput();
        fatalExitHandler = &fuzzing::throwFatalExit;
        return true;
    }();
    (void)ready;
    if (fuzzing::hasHugeNumber(data, size)) return -1;
    const std::string path = fuzzing::writeScratchFile("datafile.dat", data, size);
    std::FILE* stream = std::fopen(path.c_str(), "r");
    try {
        readLocusDataFile(stream);
    } catch (const fuzzing::FatalExit&) {
    }
    std::fclose(stream);
    runParameters = RunParameters{};
    return 0;
}

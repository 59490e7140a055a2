#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/errors.hpp"
#include "input/process_state.hpp"

namespace pedlik::fuzzing {

// A file holding `data`, for readers that work on named files.
inline std::string writeScratchFile(const char* name, const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/pedlik-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
        return std::string(pattern);
    }();
    const std::string path = dir + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    return path;
}

// Counts above 99999 only ask for more memory than a fuzzing run may use (allocation failure has its own test);
// the digits of a fraction count nothing.
inline bool hasHugeCount(const uint8_t* data, size_t size) {
    size_t digits = 0;
    bool fraction = false;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] < '0' || data[i] > '9') {
            digits = 0;
            fraction = data[i] == '.';
        } else if (!fraction && ++digits > 5) {
            return true;
        }
    }
    return false;
}

// Runs `run` with fatal errors unwinding back here instead of ending the process, then resets the process state.
template <typename Run>
void runUnwinding(Run run) {
    fatalExitHandler = [](int status) { throw status; };
    try {
        run();
    } catch (int) {
    }
    resetProcessState();
}

// Feeds `data` as the file `name` to `read`, which may reopen the stream; a fatal error returns to the fuzzer. Inputs
// with huge counts are skipped.
template <typename Read>
int fuzzReader(const uint8_t* data, size_t size, const char* name, Read read) {
    if (hasHugeCount(data, size)) return -1;
    const std::string path = writeScratchFile(name, data, size);
    std::FILE* stream = std::fopen(path.c_str(), "r");
    runUnwinding([&] { read(stream, path.c_str()); });
    if (stream != nullptr) std::fclose(stream);
    return 0;
}

}  // namespace pedlik::fuzzing

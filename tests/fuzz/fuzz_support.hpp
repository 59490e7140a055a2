#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/errors.hpp"
#include "input/process_state.hpp"

namespace pedlik::fuzzing {

// Thrown instead of ending the process, so that one input's fatal error
// hands control back to the fuzzer.
struct FatalExit {
    int status;
};

inline void throwFatalExit(int status) { throw FatalExit{status}; }

// A file holding `data`, for readers that work on named files.
inline std::string writeScratchFile(const char* name, const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/pedlik-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        return std::string(made);
    }();
    const std::string path = dir + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

// Counts above 99999 only ask for memory beyond what a fuzzing run may use;
// the allocation-failure path has its own test, so such inputs are skipped.
inline bool hasHugeNumber(const uint8_t* data, size_t size) {
    size_t run = 0;
    for (size_t i = 0; i < size; ++i) {
        run = (data[i] >= '0' && data[i] <= '9') ? run + 1 : 0;
        if (run > 5) return true;
    }
    return false;
}

inline void silenceStandardOutput() {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

}  // namespace pedlik::fuzzing

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

// Feeds `data` as the file `name` to `read`, which may reopen the stream; a fatal error returns to the fuzzer. Counts
// above 99999 only ask for more memory than a fuzzing run may use (allocation failure has its own test): skipped.
template <typename Read>
int fuzzReader(const uint8_t* data, size_t size, const char* name, Read read) {
    for (size_t i = 0, digits = 0; i < size; ++i) {
        digits = (data[i] >= '0' && data[i] <= '9') ? digits + 1 : 0;
        if (digits > 5) return -1;
    }
    const std::string path = writeScratchFile(name, data, size);
    fatalExitHandler = [](int status) { throw status; };
    std::FILE* stream = std::fopen(path.c_str(), "r");
    try {
        read(stream, path.c_str());
    } catch (int) {
    }
    if (stream != nullptr) std::fclose(stream);
    runParameters = RunParameters{};
    return 0;
}

}  // namespace pedlik::fuzzing

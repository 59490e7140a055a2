#include "input/input_files.hpp"

#include "base/errors.hpp"

namespace pedlik {

void openInputFile(std::FILE*& stream, const char* path) {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
        std::printf("Reopening %s\n", path);
    } else {
        std::printf("Opening %s\n", path);
    }
    stream = std::fopen(path, "r");
    if (stream == nullptr) fileNotFound();
}

void closeInputFile(std::FILE*& stream, const char* path) {
    if (stream == nullptr) return;
    std::printf("Closing %s\n", path);
    std::fclose(stream);
    stream = nullptr;
}

}  // namespace pedlik

#include "input/end_of_file.hpp"

namespace pedlik {

bool atEndOfFile(std::FILE* stream) {
    if (std::feof(stream)) return true;
    if (stream == stdin) return false;
    const int c = std::getc(stream);
    if (c == EOF) return true;
    std::ungetc(c, stream);
    return false;
}

}  // namespace pedlik

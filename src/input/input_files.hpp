#pragma once

#include <cstdio>

namespace pedlik {

// Opens `path` for reading into `stream`, closing what it held before, and
// says so ("Opening" or "Reopening"); a file that cannot be opened ends the
// run.
void openInputFile(std::FILE*& stream, const char* path);

// Closes an open stream, saying so, and leaves it null.
void closeInputFile(std::FILE*& stream, const char* path);

}  // namespace pedlik

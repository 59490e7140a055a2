#pragma once

#include <cstdio>

namespace pedlik {

// True at the end of a file. Looks one character ahead (and puts it back),
// except on standard input, which is never read here.
bool atEndOfFile(std::FILE* stream);

}  // namespace pedlik

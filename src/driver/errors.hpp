#pragma once

#include <string>

namespace pedlik {

// The only ways out of the program besides its normal end. Each prints its
// report and ends the process (exit status 1, or -1 for a missing file).
[[noreturn]] void fatalAllocError(const char* label);
[[noreturn]] void inputError(const std::string& message);
[[noreturn]] void fileNotFound();

// printf-style formatting into a string that always holds the whole message.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace pedlik

#pragma once

#include <string>

namespace pedlik {

// How a reported fatal error ends the run: std::exit, unless a test harness
// installs a handler that unwinds back to it instead.
using FatalExitHandler = void (*)(int status);
extern FatalExitHandler fatalExitHandler;  // called with the exit status of a fatal error

// The only ways out of the program besides its normal end. Each prints its
// report and ends the process (exit status 1, or -1 for a missing file).
// An input error's report is the message's one line, then `place`: where in
// which file the problem stands. Scripts read the first line, so a message's
// text stays as it is and all that locates it goes into the second.
[[noreturn]] void fatalAllocError(const char* label);
[[noreturn]] void inputError(const std::string& message, const std::string& place);
[[noreturn]] void fileNotFound();

// A value that is odd but computable: one line on standard error, and the run
// goes on.
void inputWarning(const std::string& message);

// printf-style formatting into a string that always holds the whole message.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace pedlik

#include "base/errors.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace pedlik {

FatalExitHandler fatalExitHandler = &std::exit;

namespace {

// Threads eliminating side by side may fail at once: the first to report
// ends the run, the others wait here for its end (or, when a test's handler
// unwinds, for their turn).
std::mutex reporting;

[[noreturn]] void endRun(int status) {
    std::fflush(stdout);
    fatalExitHandler(status);
    std::abort();  // a handler that returns would leave the run in an unknown state
}

}  // namespace

void fatalAllocError(const char* label) {
    const std::lock_guard lock(reporting);
    std::fprintf(stderr, "\nProblem with malloc, probably not enough space.\n");
    std::fprintf(stderr, "Problem occurred when allocating %s.\n", label);
    endRun(1);
}

void inputError(const std::string& message, const std::string& place) {
    const std::lock_guard lock(reporting);
    const size_t end = message.find_last_not_of('\n');
    const std::string line = end == std::string::npos ? std::string() : message.substr(0, end + 1);
    std::fprintf(stderr, "\nAn input error has been found:\n%s\n%s\n", line.c_str(), place.c_str());
    endRun(1);
}

void inputWarning(const std::string& message) {
    const std::lock_guard lock(reporting);
    std::fprintf(stderr, "Warning: %s\n", message.c_str());
}

void fileNotFound() {
    const std::lock_guard lock(reporting);
    std::printf("ERROR: File not found.\n");
    endRun(-1);
}

std::string formatMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string message(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(message.data(), message.size() + 1, format, args);
    va_end(args);
    return message;
}

}  // namespace pedlik

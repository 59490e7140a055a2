#pragma once

#include <string>
#include <vector>

#include "driver/main_sequence.hpp"
#include "results/part_file.hpp"
#include "results/result_request.hpp"

namespace pedlik {

// A hash of everything that decides a split run's numbers: both input
// files' contents, the options that change them and pedlik's version.
// Parts with the same fingerprint are parts of the same problem.
std::string problemFingerprint(const char* locusPath, const char* pedigreePath, const RunOptions& options);

// The part file under its name once complete; false, with a message on
// standard error, when it cannot be made.
bool writePart(const PartRecord& record, const std::string& path);

// pedlik --merge: reads the part files, prints the report of the whole run
// and the requested results; the exit status (1 when a file cannot be read
// or the parts do not make a whole run, with nothing printed as a result).
int runMerge(const std::vector<std::string>& paths, const ResultRequest& results);

}  // namespace pedlik

#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "results/lod_curve.hpp"
#include "results/result_request.hpp"

namespace pedlik {

// Why the requested files cannot be made, checked before any computation:
// a plot file of another extension than .png or .svg, no gnuplot, or a
// folder where no file can be created. Empty when they can.
std::string resultFilesProblem(const ResultRequest& request);

// `write` fills a new file beside `path` (given its path and an open stream
// on it); only a complete file takes the name, so that none is ever left
// half-written under it. False, with a message on standard error, when the
// file could not be made.
bool writeThroughTemporary(const std::string& path, const std::function<bool(const std::string&, std::FILE*)>& write);

// After the report: the summary, the table and the plot that the request
// asks for. Each file is written under a temporary name in its folder and
// renamed when complete, so that none is left half-written under its name.
// False, with a message on standard error, when a file could not be made.
bool reportResults(const LodCurve& curve, const ResultRequest& request);

}  // namespace pedlik

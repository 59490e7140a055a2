#pragma once

#include <string>

namespace pedlik {

// What the results options ask for, on top of the LOD-score report.
struct ResultRequest {
    bool summary = false;   // --summary: per-pedigree LOD scores, the maximum LOD and the HLOD
    std::string tablePath;  // --table FILE: the same as tab-separated values; "-" is standard output
    std::string plotPath;   // --plot FILE: the LOD curves, PNG or SVG by the file's extension

    bool any() const { return summary || !tablePath.empty() || !plotPath.empty(); }
};

}  // namespace pedlik

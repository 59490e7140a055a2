#pragma once

#include <string>

#include "results/lod_results.hpp"

namespace pedlik {

// Whether the file name asks for a PNG or an SVG image (by its extension,
// in any case); neither for any other name.
enum class PlotFormat { none, png, svg };
PlotFormat plotFormat(const std::string& path);

// Whether gnuplot, which draws the plot, is on the PATH.
bool plotToolFound();

// Draws the LOD curves with gnuplot into `outputPath`: the total, the HLOD
// dashed, the pedigrees with the highest LOD scores one by one (all of them
// when they are few) and the range of the others, and the line at LOD 3.
// False when gnuplot fails (its own messages are on standard error).
bool drawLodPlot(const LodResults& results, const std::string& outputPath, PlotFormat format);

}  // namespace pedlik

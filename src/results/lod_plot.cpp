#include "results/lod_plot.hpp"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <sstream>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

// Beyond this many pedigrees, only the shownPedigrees with the highest LOD
// scores get a curve of their own: more curves than that cannot be told apart.
constexpr std::size_t allShownUpTo = 10;
constexpr std::size_t shownPedigrees = 8;
// Curves far below 0 only squash the region where linkage shows.
constexpr double lowestShown = -5.0;
// Apart from the total's black, the HLOD's red and the LOD 3 line's grey.
constexpr const char* pedigreeColours[allShownUpTo] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#9467bd", "#8c564b",
                                                       "#e377c2", "#17becf", "#bcbd22", "#393b79", "#ad494a"};

struct PlotData {
    std::vector<std::size_t> shown;  // pedigrees drawn one by one, by decreasing maximum LOD
    bool hasRest = false;            // the others, as a band from their lowest to their highest LOD
    double low = 0.0, high = 0.0;    // the range of every drawn value
    bool partial = false;            // some total leaves a pedigree out
};

double highestLod(const LodResults& results, std::size_t pedigree) {
    double highest = -std::numeric_limits<double>::infinity();
    for (const LodRow& row : results.rows) highest = std::max(highest, row.lods[pedigree]);
    return highest;
}

PlotData choosePedigrees(const LodResults& results) {
    PlotData data;
    std::vector<std::size_t> order(results.pedigreeIds.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<double> highest;
    for (std::size_t p = 0; p < order.size(); ++p) highest.push_back(highestLod(results, p));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return highest[a] > highest[b]; });
    const std::size_t count = order.size() <= allShownUpTo ? order.size() : shownPedigrees;
    data.shown.assign(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count));
    data.hasRest = count < order.size();
    return data;
}

void widen(PlotData& data, double value) {
    if (!std::isfinite(value)) return;
    data.low = std::min(data.low, value);
    data.high = std::max(data.high, value);
}

std::string number(double value) {
    if (!std::isfinite(value)) return "NaN";  // gnuplot leaves the point out
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// Columns: theta, total, HLOD, the shown pedigrees, then the lowest and
// highest LOD of the others.
void writeDataBlock(std::ostream& script, const LodResults& results, PlotData& data) {
    script << "$lod << EOD\n";
    for (const LodRow& row : results.rows) {
        // A total that leaves a pedigree out is not drawn: in truth it is minus infinity.
        const double nothing = std::numeric_limits<double>::quiet_NaN();
        const double lod = row.partial ? nothing : row.lod, hlod = row.partial ? nothing : row.admixture.hlod;
        script << number(row.theta) << ' ' << number(lod) << ' ' << number(hlod);
        widen(data, lod);
        widen(data, hlod);
        data.partial = data.partial || row.partial;
        for (std::size_t p : data.shown) {
            script << ' ' << number(row.lods[p]);
            widen(data, row.lods[p]);
        }
        if (data.hasRest) {
            double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
            for (std::size_t p = 0; p < row.lods.size(); ++p) {
                if (std::find(data.shown.begin(), data.shown.end(), p) != data.shown.end() || !std::isfinite(row.lods[p])) continue;
                lowest = std::min(lowest, row.lods[p]);
                highest = std::max(highest, row.lods[p]);
            }
            script << ' ' << number(lowest) << ' ' << number(highest);
            widen(data, lowest);
            widen(data, highest);
        }
        script << '\n';
    }
    script << "EOD\n";
}

// A gnuplot string: single quotes, in which only a doubled quote is special.
std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result.append(c == '\'' ? "''" : std::string(1, c));
    return result + "'";
}

std::string plotScript(const LodResults& results, const std::string& outputPath, PlotFormat format) {
    std::ostringstream script;
    PlotData data = choosePedigrees(results);
    writeDataBlock(script, results, data);
    double firstTheta = 0.0, lastTheta = 0.5;
    for (const LodRow& row : results.rows) {
        firstTheta = std::min(firstTheta, row.theta);
        lastTheta = std::max(lastTheta, row.theta);
    }
    script << "set encoding utf8\n";
    script << (format == PlotFormat::png ? "set terminal pngcairo size 1000,650 font 'sans,11'\n"
                                         : "set terminal svg size 1000,650 dynamic font 'sans,13' background 'white'\n");
    script << "set output " << quoted(outputPath) << "\n";
    script << "set title 'LOD score curves" << (data.low < lowestShown ? "; scores below -5 cut off" : "")
           << (data.partial ? "; no total where some pedigree has likelihood 0" : "") << "'\n";
    script << "set xlabel 'Recombination fraction θ'\nset ylabel 'LOD score'\n";
    script << "set grid\nset key outside right top box Left reverse\nset xrange [" << number(firstTheta) << ":" << number(lastTheta) << "]\n";
    script << "set yrange [" << number(std::floor(std::max(data.low, lowestShown) - 0.25)) << ":"
           << number(std::max(3.5, std::ceil(data.high + 0.25))) << "]\n";
    script << "plot $lod using 1:2 with linespoints lw 3 pt 7 ps 0.8 lc rgb 'black' title 'Total LOD'";
    script << ", $lod using 1:3 with lines dt 2 lw 3 lc rgb '#c00000' title 'HLOD'";
    script << ", 3 with lines dt 4 lw 2 lc rgb '#707070' title 'LOD 3'";
    for (std::size_t k = 0; k < data.shown.size(); ++k) {
        script << ", $lod using 1:" << k + 4 << " with lines lw 1.5 lc rgb '" << pedigreeColours[k] << "' title 'Pedigree "
               << results.pedigreeIds[data.shown[k]] << "'";
    }
    if (data.hasRest) {
        const std::size_t low = data.shown.size() + 4;
        script << ", $lod using 1:" << low << ":" << low + 1 << " with filledcurves fs transparent solid 0.25 lc rgb '#4060a0' title '"
               << results.pedigreeIds.size() - data.shown.size() << " other pedigrees (range)'";
    }
    script << "\nunset output\n";
    return script.str();
}

}  // namespace

PlotFormat plotFormat(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return PlotFormat::none;
    if (strcasecmp(path.c_str() + dot, ".png") == 0) return PlotFormat::png;
    if (strcasecmp(path.c_str() + dot, ".svg") == 0) return PlotFormat::svg;
    return PlotFormat::none;
}

bool plotToolFound() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path == nullptr ? "" : path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (access(((folder.empty() ? "." : folder) + "/gnuplot").c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool drawLodPlot(const LodResults& results, const std::string& outputPath, PlotFormat format) {
    const std::string script = allocateOrDie("plot script", [&] { return plotScript(results, outputPath, format); });
    std::fflush(stdout);
    std::FILE* gnuplot = popen("gnuplot", "w");
    if (gnuplot == nullptr) return false;
    const bool sent = std::fwrite(script.data(), 1, script.size(), gnuplot) == script.size();
    return pclose(gnuplot) == 0 && sent;
}

}  // namespace pedlik

#include "results/results_table.hpp"

#include <cmath>
#include <string>

#include "base/errors.hpp"

namespace pedlik {

namespace {

std::string number(double value, const char* format = "%.6f") {
    if (std::isnan(value)) return "NA";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    return formatMessage(format, value);
}

bool writeRow(std::FILE* out, double theta, const std::string& pedigree, double logLikelihood, double lod,
              double alpha = NAN) {
    return std::fprintf(out, "%s\t%s\t%s\t%s\t%s\n", number(theta, "%.10g").c_str(), pedigree.c_str(),
                        number(logLikelihood).c_str(), number(lod).c_str(), number(alpha).c_str()) > 0;
}

}  // namespace

bool writeResultsTable(const LodResults& results, std::FILE* out) {
    bool written = std::fputs("theta\tpedigree\tln_likelihood\tlod\talpha\n", out) >= 0;
    for (const LodRow& row : results.rows) {
        for (std::size_t p = 0; p < row.lods.size(); ++p) {
            const std::string pedigree = std::to_string(results.pedigreeIds[p]);
            written = written && writeRow(out, row.theta, pedigree, row.logLikelihoods[p], row.lods[p]);
        }
        written = written && writeRow(out, row.theta, "total", row.logLikelihood, row.lod);
    }
    if (!results.rows.empty()) {
        const LodRow& maxLod = results.rows[results.maxLodRow];
        const LodRow& maxHlod = results.rows[results.maxHlodRow];
        written = written && writeRow(out, maxLod.theta, "max_lod", maxLod.logLikelihood, maxLod.lod);
        written = written && writeRow(out, maxHlod.theta, "hlod", NAN, maxHlod.admixture.hlod, maxHlod.admixture.alpha);
    }
    return written && std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace pedlik

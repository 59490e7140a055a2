#include "results/summary_text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/allocation.hpp"
#include "base/errors.hpp"

namespace pedlik {

namespace {

constexpr std::size_t lineWidth = 79;

struct Column {
    std::string header;
    std::vector<std::string> cells;  // one per row
    std::size_t width = 0;
};

// Four decimals; a value that rounds to 0 shows no sign.
std::string fixed(double value) {
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    const std::string text = formatMessage("%.4f", value);
    return text == "-0.0000" ? text.substr(1) : text;
}

std::vector<Column> tableColumns(const LodResults& results) {
    std::vector<Column> columns(results.pedigreeIds.size() + 4);
    columns[0].header = "THETA";
    for (std::size_t p = 0; p < results.pedigreeIds.size(); ++p) {
        columns[p + 1].header = std::to_string(results.pedigreeIds[p]);
    }
    const std::size_t last = columns.size() - 3;
    columns[last].header = "TOTAL";
    columns[last + 1].header = "HLOD";
    columns[last + 2].header = "ALPHA";
    for (const LodRow& row : results.rows) {
        columns[0].cells.push_back(fixed(row.theta));
        for (std::size_t p = 0; p < row.lods.size(); ++p) columns[p + 1].cells.push_back(fixed(row.lods[p]));
        columns[last].cells.push_back(fixed(row.lod));
        columns[last + 1].cells.push_back(fixed(row.admixture.hlod));
        columns[last + 2].cells.push_back(fixed(row.admixture.alpha));
    }
    for (Column& column : columns) {
        column.width = column.header.size();
        for (const std::string& cell : column.cells) column.width = std::max(column.width, cell.size());
    }
    return columns;
}

void printCell(const std::string& text, std::size_t width, bool first) {
    std::printf("%s%*s", first ? "" : "  ", static_cast<int>(width), text.c_str());
}

// The fraction's column, then as many further columns as fit the line
// (at least one), block after block.
void printBlocks(const std::vector<Column>& columns, std::size_t rowCount) {
    for (std::size_t from = 1; from < columns.size();) {
        std::size_t to = from + 1, width = columns[0].width + 2 + columns[from].width;
        while (to < columns.size() && width + 2 + columns[to].width <= lineWidth) width += 2 + columns[to++].width;
        if (from > 1) std::printf("\n");
        printCell(columns[0].header, columns[0].width, true);
        for (std::size_t c = from; c < to; ++c) printCell(columns[c].header, columns[c].width, false);
        std::printf("\n");
        for (std::size_t r = 0; r < rowCount; ++r) {
            printCell(columns[0].cells[r], columns[0].width, true);
            for (std::size_t c = from; c < to; ++c) printCell(columns[c].cells[r], columns[c].width, false);
            std::printf("\n");
        }
        from = to;
    }
}

void printLeftOut(const LodResults& results) {
    for (const LodRow& row : results.rows) {
        if (!row.partial) continue;
        std::string ids;
        for (std::size_t p = 0; p < row.lods.size(); ++p) {
            if (!std::isinf(row.lods[p])) continue;
            ids.append(ids.empty() ? "" : ", ").append(std::to_string(results.pedigreeIds[p]));
        }
        std::printf("At theta %.4f the likelihood of pedigree(s) %s is 0 (-inf): TOTAL and HLOD leave them out,\n"
                    "and the maxima below leave out that value.\n",
                    row.theta, ids.c_str());
    }
}

}  // namespace

void printSummary(const LodResults& results) {
    std::printf("\nLOD SCORES BY PEDIGREE\n");
    if (results.rows.empty()) {
        std::printf("None: the likelihood at theta 0.5 is 0.\n");
        return;
    }
    std::printf("Each pedigree's LOD score alone (log10 of its likelihood against its own at\n"
                "theta 0.5), under the pedigree's number; their TOTAL; the heterogeneity LOD\n"
                "score HLOD and ALPHA, the proportion of linked families that reaches it.\n\n");
    allocateOrDie("summary", [&] {
        printBlocks(tableColumns(results), results.rows.size());
        printLeftOut(results);
    });
    const LodRow& maxLod = results.rows[results.maxLodRow];
    const LodRow& maxHlod = results.rows[results.maxHlodRow];
    std::printf("\nMaximum LOD score: %.4f at theta %.4f\n", maxLod.lod, maxLod.theta);
    std::printf("Maximum HLOD: %.4f at theta %.4f, alpha %.4f\n", maxHlod.admixture.hlod, maxHlod.theta,
                maxHlod.admixture.alpha);
}

}  // namespace pedlik

#include "support/report_reading.hpp"

#include <algorithm>
#include <cmath>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace pedlik::testing {

std::string reportResultLines(const std::string& out) {
    std::istringstream lines(out);
    std::string line, kept;
    while (std::getline(lines, line)) {
        for (const char* prefix : {"VARIED", "-----", "LN(", "LOG(", "-2 LN", "likelihood  =", "LOD_SCORE", "The likelihood is"}) {
            if (line.starts_with(prefix)) kept.append(line).append("\n");
        }
    }
    return kept;
}

std::string maskTimings(const std::string& out) {
    static const std::regex timing("(The time needed for [^\n]* is )[0-9]+\\.[0-9]+( sec\\.)");
    return std::regex_replace(out, timing, "$1<time>$2");
}

::testing::AssertionResult endedNormally(const RunResult& run) {
    static const std::regex timings(
        "\nThe time needed for value-elimination is [0-9]+\\.[0-9]{6} sec\\.\n"
        "The time needed for calculating the likelihood of the pedigree is [0-9]+\\.[0-9]{6} sec\\.\n(\nML [^\n]*\n([A-Z][^\n]*\n)*)?$");
    // Random datasets write their loci in any order, which draws a warning where LINKAGE programs read it otherwise.
    if (run.status != 0 || !std::regex_replace(run.err, std::regex("Warning: the locus order [^\n]*\n"), "").empty()) return ::testing::AssertionFailure() << run.status << ": " << run.err;
    if (!std::regex_search(run.out, timings)) return ::testing::AssertionFailure() << "no timing lines at the end";
    return ::testing::AssertionSuccess();
}

bool showsConditioning(const std::string& out) {
    static const std::regex partial("Solved (?!100\\.000000 )");
    return std::regex_search(out, partial);
}

LodReport parseLodReport(const std::string& out) {
    static const std::regex block(
        "\nVARIED THETA  = (\\S+)\n---------------------------\n(\nThe likelihood is 0\\.0\n|"
        "LN\\(LIKE\\)    = (\\S+)\nLOG\\(LIKE\\)   = (\\S+)\n-2 LN\\(LIKE\\) = (\\S+)\n"
        "likelihood  = (\\S+)\nLOD_SCORE   = (\\S+)\n)");
    LodReport report;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), block); it != std::sregex_iterator(); ++it) {
        ReportedBlock& b = report.blocks.emplace_back(ReportedBlock{(*it)[1], {}});
        for (int k = 3; k <= 7 && (*it)[k].matched; ++k) b.values.push_back(std::stod((*it)[k]));
    }
    const auto count = [&out](const std::string& text) {
        size_t n = 0;
        for (size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
        return n;
    };
    report.stoppedAtFirstPass = report.blocks.empty() && out.find("\n\nThe likelihood is 0.0\n") != std::string::npos;
    const size_t zeroBlocks = std::count_if(report.blocks.begin(), report.blocks.end(), [](auto& b) { return b.values.empty(); });
    if (count("VARIED THETA") != report.blocks.size() ||
        count("The likelihood is 0.0") != zeroBlocks + (report.stoppedAtFirstPass ? 1u : 0u)) {
        report.fault = "a malformed block or a zero line outside a block";
    }
    return report;
}

std::vector<EmIteration> emIterations(const std::string& out) {
    static const std::regex iteration("EM ITERATION ([0-9]+): LN\\(LIKE\\) = (-?[0-9.]+)  THETAS =((?: [0-9.]+)*)(?:  \\(([a-z0-9. ]+)\\))?\n");
    std::vector<EmIteration> iterations;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), iteration); it != std::sregex_iterator(); ++it) {
        if (std::stoi((*it)[1]) != static_cast<int>(iterations.size()) + 1) throw std::runtime_error("iterations out of order");
        EmIteration& added = iterations.emplace_back(EmIteration{std::stod((*it)[2]), {}, (*it)[4]});
        std::istringstream thetas((*it)[3].str());
        for (double theta; thetas >> theta;) added.thetas.push_back(theta);
    }
    return iterations;
}

int estimatedIterations(const std::string& out) {
    static const std::regex estimates("\nEM ESTIMATES AFTER ([0-9]+) ITERATIONS: THETAS =( [0-9.]+)+\n");
    std::smatch match;
    return std::regex_search(out, match, estimates) ? std::stoi(match[1]) : -1;
}

MlLines mlLines(const std::string& out) {
    static const std::regex lines("\nML ESTIMATES AFTER ([0-9]+) ITERATIONS: THETAS =((?: [0-9]\\.[0-9]{6})*)\n"
                                  "LN\\(LIKE\\) AT ESTIMATES = (-?[0-9]+\\.[0-9]{6})\nLN\\(LIKE\\) WITH ALL THETAS 0\\.5 = (-?[0-9]+\\.[0-9]{6})\n"
                                  "LOD = (-?[0-9]+\\.[0-9]{6})\n(?:NOT INFORMATIVE:((?: [0-9]+)+)\n)?(LOCAL MAXIMA: LN\\(LIKE\\) = [^\n]*\n)?$");
    std::smatch match;
    MlLines ml;
    if (!std::regex_search(out, match, lines)) return ml;
    ml.iterations = std::stoi(match[1]);
    std::istringstream thetas(match[2].str()), intervals(match[6].str());
    for (double theta; thetas >> theta;) ml.thetas.push_back(theta);
    for (int interval; intervals >> interval;) ml.notInformative.push_back(interval);
    ml.values = {std::stod(match[3]), std::stod(match[4]), std::stod(match[5])};
    ml.localMaxima = match[7].matched;
    return ml;
}

std::string withoutEmLines(const std::string& out) {
    static const std::regex emLine("\nEM (ITERATION|ESTIMATES)[^\n]*\n");
    return std::regex_replace(out, emLine, "");
}

std::vector<TableRow> readResultsTable(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != "theta\tpedigree\tln_likelihood\tlod\talpha") throw std::runtime_error("no header");
    // What both readers take for a number without options: decimals, NA and -Inf.
    const auto number = [](const std::string& field) -> double {
        if (field == "NA" || field == "-Inf") return field == "NA" ? NAN : -INFINITY;
        size_t used = 0;
        const double value = std::stod(field, &used);
        if (used != field.size() || field.find_first_not_of("0123456789.-e+") != std::string::npos) throw std::runtime_error("not a number: " + field);
        return value;
    };
    std::vector<TableRow> rows;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        if (fields.size() != 5 || line.back() == '\t') throw std::runtime_error("not five fields: " + line);
        rows.push_back({number(fields[0]), fields[1], number(fields[2]), number(fields[3]), number(fields[4])});
    }
    return rows;
}

std::string withProgramCode(const std::string& locusFile, int code) {
    static const std::regex fourthNumber("^(\\s*\\S+\\s+\\S+\\s+\\S+\\s+)\\S+");
    return std::regex_replace(locusFile, fourthNumber, "$01" + std::to_string(code));
}

}  // namespace pedlik::testing

#include "e2e/report_reading.hpp"

#include <regex>
#include <stdexcept>

namespace pedlik::testing {

std::string withoutEstimates(const std::string& out) {
    static const std::regex estimates("\nEM (ITERATION|ESTIMATES)[^\n]*\n");
    return std::regex_replace(out, estimates, "");
}

std::vector<double> iterationLogLikelihoods(const std::string& out) {
    static const std::regex iteration("EM ITERATION ([0-9]+): LN\\(LIKE\\) = (-?[0-9.]+)  THETAS =( [0-9.]+)+");
    std::vector<double> values;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), iteration); it != std::sregex_iterator(); ++it) {
        if (std::stoi((*it)[1]) != static_cast<int>(values.size()) + 1) throw std::runtime_error("iterations out of order");
        values.push_back(std::stod((*it)[2]));
    }
    return values;
}

int estimatedIterations(const std::string& out) {
    static const std::regex estimates("\nEM ESTIMATES AFTER ([0-9]+) ITERATIONS: THETAS =( [0-9.]+)+\n");
    std::smatch match;
    return std::regex_search(out, match, estimates) ? std::stoi(match[1]) : -1;
}

double firstLodLogLikelihood(const std::string& out) {
    const std::string key = "LN(LIKE)    = ";
    const size_t at = out.find(key);
    if (at == std::string::npos) throw std::runtime_error("no LN(LIKE) line");
    return std::stod(out.substr(at + key.size()));
}

std::string withProgramCode(const std::string& locusFile, int code) {
    static const std::regex firstLine("^(\\s*\\S+\\s+\\S+\\s+\\S+\\s+)\\S+");
    std::smatch match;
    if (!std::regex_search(locusFile, match, firstLine)) throw std::runtime_error("no program code");
    return match.str(1) + std::to_string(code) + match.suffix().str();
}

}  // namespace pedlik::testing

#include "oracle/fastlink.hpp"

#include <sys/wait.h>

#include <optional>
#include <sstream>
#include <stdexcept>

#include "support/report_reading.hpp"
#include "support/run_binary.hpp"

namespace pedlik::oracle {

bool fastlinkAvailable() {
    return std::system("command -v unknown >/dev/null 2>&1 && command -v mlink >/dev/null 2>&1 && command -v ilink >/dev/null 2>&1") == 0;
}

namespace {

// `unknown`, then `program` within `seconds`, on the two files; the report
// `program` leaves, none when it ran out of time.
std::optional<std::string> runProgram(const std::string& locusText, const std::string& pedigreeText,
                                      const std::string& program, const std::string& report, int seconds) {
    const testing::ScratchDir folder;
    folder.write("datafile.dat", locusText);
    folder.write("pedfile.dat", pedigreeText);
    const std::string command = "cd '" + folder.path().string() + "' && timeout -k 5 120 unknown </dev/null >log 2>&1 && timeout -k 5 " +
                                std::to_string(seconds) + " " + program + " </dev/null >>log 2>&1";
    const int status = std::system(command.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 124) return std::nullopt;
    if (status != 0) throw std::runtime_error("FASTLINK failed: " + testing::readFile(folder.path() / "log"));
    return testing::readFile(folder.path() / report);
}

}  // namespace

std::optional<IlinkEstimate> runIlink(const Dataset& data, int seconds) {
    Dataset withoutVaried = data;
    withoutVaried.programCode = 6;
    std::string locusText = testing::withProgramCode(toPedlikLocusFile(withoutVaried), 4) + "0\n";
    for (size_t i = 0; i < data.thetas.size(); ++i) locusText += i == 0 ? "1" : " 1";
    const std::optional<std::string> report = runProgram(locusText + "\n", toLinkagePedigreeFile(data), "ilink", "final.dat", seconds);
    if (!report) return std::nullopt;
    std::istringstream lines(*report);
    IlinkEstimate estimate;
    for (std::string text; std::getline(lines, text);) {
        if (text.starts_with("THETAS:") && std::getline(lines, text)) {
            std::istringstream thetas(text);
            for (double theta; thetas >> theta;) estimate.thetas.push_back(theta);
        }
        if (text.starts_with("-2 LN(LIKE) =")) estimate.logLikelihood = -std::stod(text.substr(13)) / 2.0;
    }
    if (estimate.thetas.size() != data.thetas.size()) throw std::runtime_error("no THETAS in final.dat");
    return estimate;
}

std::vector<FastlinkBlock> runFastlink(const std::string& locusText, const std::string& pedigreeText) {
    std::vector<FastlinkBlock> blocks;
    const std::optional<std::string> report = runProgram(locusText, pedigreeText, "mlink", "outfile.dat", 300);
    if (!report) throw std::runtime_error("mlink ran out of time");
    std::istringstream lines(*report);
    bool inBlock = false;
    for (std::string text; std::getline(lines, text);) {
        std::istringstream line(text);
        std::string first;
        double value = 0.0;
        if (!(line >> first)) continue;
        if (first == "THETAS") {
            blocks.emplace_back();
            inBlock = true;
        } else if (inBlock && first == "TOTALS" && line >> blocks.back().lnLikelihood) {
            inBlock = false;
        } else if (inBlock && first.find_first_not_of("0123456789") == std::string::npos && line >> value) {
            blocks.back().pedigreeLnLikelihoods.push_back(value);
        }
    }
    if (blocks.empty() || inBlock) throw std::runtime_error("no complete THETAS block in outfile.dat");
    return blocks;
}

}  // namespace pedlik::oracle

#include "oracle/fastlink.hpp"

#include <sstream>
#include <stdexcept>

#include "support/run_binary.hpp"

namespace pedlik::oracle {

bool fastlinkAvailable() {
    return std::system("command -v unknown >/dev/null 2>&1 && command -v mlink >/dev/null 2>&1") == 0;
}

std::vector<FastlinkBlock> runFastlink(const std::string& locusText, const std::string& pedigreeText) {
    const testing::ScratchDir folder;
    folder.write("datafile.dat", locusText);
    folder.write("pedfile.dat", pedigreeText);
    const std::string command = "cd '" + folder.path().string() +
                                "' && timeout -k 5 120 unknown </dev/null >log 2>&1 && timeout -k 5 120 mlink "
                                "</dev/null >>log 2>&1";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("FASTLINK failed: " + testing::readFile(folder.path() / "log"));
    }
    std::vector<FastlinkBlock> blocks;
    std::istringstream lines(testing::readFile(folder.path() / "outfile.dat"));
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

#include "oracle/fastlink.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pedlik::oracle {

namespace {

namespace fs = std::filesystem;

// A fresh folder of its own, removed with the object.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "pedlik-fastlink-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

void runProgram(const ScratchFolder& folder, const std::string& program, int timeoutSeconds) {
    const fs::path log = folder.path() / (program + ".log");
    const std::string command = "cd '" + folder.path().string() + "' && timeout -k 5 " +
                                std::to_string(timeoutSeconds) + " " + program + " </dev/null >'" + log.string() +
                                "' 2>&1";
    const int raw = std::system(command.c_str());
    if (raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) == 0) return;
    const std::string output = readText(log);
    const std::string reason = raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) == 124
                                   ? "timed out after " + std::to_string(timeoutSeconds) + " s"
                                   : "failed (status " + std::to_string(raw) + ")";
    throw std::runtime_error(program + " " + reason + "; its output ends:\n" +
                             output.substr(output.size() > 2000 ? output.size() - 2000 : 0));
}

std::vector<double> readNumbers(std::istringstream& line) {
    std::vector<double> numbers;
    double value = 0.0;
    while (line >> value) numbers.push_back(value);
    return numbers;
}

// Reads the THETAS blocks: a THETAS line, one line per pedigree (number, ln
// likelihood, log10 likelihood, LOD), and a TOTALS line that ends the block.
std::vector<FastlinkBlock> parseReport(const std::string& report) {
    std::vector<FastlinkBlock> blocks;
    std::istringstream lines(report);
    std::string text;
    bool inBlock = false;
    while (std::getline(lines, text)) {
        std::istringstream line(text);
        std::string first;
        if (!(line >> first)) continue;
        if (first == "THETAS") {
            blocks.emplace_back();
            blocks.back().thetas = readNumbers(line);
            inBlock = true;
        } else if (inBlock && first == "TOTALS") {
            const std::vector<double> totals = readNumbers(line);
            if (totals.empty()) throw std::runtime_error("unreadable TOTALS line: " + text);
            blocks.back().lnLikelihood = totals[0];
            inBlock = false;
        } else if (inBlock && first.find_first_not_of("0123456789") == std::string::npos) {
            double lnLikelihood = 0.0;
            if (!(line >> lnLikelihood)) throw std::runtime_error("unreadable pedigree line: " + text);
            blocks.back().pedigreeLnLikelihoods.push_back(lnLikelihood);
        }
    }
    if (blocks.empty() || inBlock) throw std::runtime_error("no complete THETAS block in the FASTLINK report");
    return blocks;
}

}  // namespace

bool fastlinkAvailable() {
    return std::system("command -v unknown >/dev/null 2>&1 && command -v mlink >/dev/null 2>&1") == 0;
}

std::vector<FastlinkBlock> runFastlink(const std::string& locusText, const std::string& pedigreeText,
                                       int timeoutSeconds) {
    const ScratchFolder folder;
    writeText(folder.path() / "datafile.dat", locusText);
    writeText(folder.path() / "pedfile.dat", pedigreeText);
    runProgram(folder, "unknown", timeoutSeconds);
    runProgram(folder, "mlink", timeoutSeconds);
    if (!fs::exists(folder.path() / "outfile.dat")) throw std::runtime_error("mlink wrote no outfile.dat");
    return parseReport(readText(folder.path() / "outfile.dat"));
}

}  // namespace pedlik::oracle

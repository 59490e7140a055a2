#include "support/run_binary.hpp"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace pedlik::testing {

namespace {

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("pedlik-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& content) const {
    std::ofstream file(path_ / name, std::ios::binary);
    file << content;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string examplePath(const std::string& name) { return std::string(PEDLIK_SOURCE_DIR) + "/examples/" + name; }

RunResult runIn(const std::filesystem::path& dir, const std::vector<std::string>& args, const std::string& input,
                const std::string& binary, const std::string& shellPrefix) {
    const std::filesystem::path stdinFile = dir / ".stdin";
    const std::filesystem::path stdoutFile = dir / ".stdout";
    const std::filesystem::path stderrFile = dir / ".stderr";
    {
        std::ofstream in(stdinFile, std::ios::binary);
        in << input;
    }
    std::string command = "cd " + shellQuote(dir.string()) + " && " + shellPrefix + " " + shellQuote(binary);
    for (const std::string& arg : args) command.append(" ").append(shellQuote(arg));
    command += " <" + shellQuote(stdinFile.string()) + " >" + shellQuote(stdoutFile.string()) + " 2>" +
               shellQuote(stderrFile.string());
    const int raw = std::system(("/bin/sh -c " + shellQuote(command)).c_str());
    if (raw == -1 || !WIFEXITED(raw)) throw std::runtime_error("could not run " + command);
    RunResult result;
    result.status = WEXITSTATUS(raw);
    result.out = readFile(stdoutFile);
    result.err = readFile(stderrFile);
    std::filesystem::remove(stdinFile);
    std::filesystem::remove(stdoutFile);
    std::filesystem::remove(stderrFile);
    return result;
}

RunResult runWithFiles(const std::map<std::string, std::string>& files, const std::vector<std::string>& args,
                       const std::string& input) {
    ScratchDir dir;
    for (const auto& [name, content] : files) dir.write(name, content);
    return runIn(dir.path(), args, input);
}

}  // namespace pedlik::testing

#include "support/run_binary.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pedlik::testing {

static std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) result.append(c == '\'' ? std::string("'\\''") : std::string(1, c));
    return result + "'";
}

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
    std::ofstream(path_ / name, std::ios::binary) << content;
}

std::string readFile(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::string examplePath(const std::string& name) { return std::string(PEDLIK_SOURCE_DIR) + "/examples/" + name; }

RunResult runIn(const std::filesystem::path& dir, const std::vector<std::string>& args, const std::string& input,
                const std::string& binary, const std::string& shellPrefix) {
    std::ofstream(dir / ".stdin", std::ios::binary) << input;
    std::string command = "cd " + shellQuoted(dir.string()) + " && " + shellPrefix + " " + shellQuoted(binary);
    for (const std::string& arg : args) command.append(" ").append(shellQuoted(arg));
    command.append(" <.stdin >.stdout 2>.stderr");
    const int raw = std::system(("/bin/sh -c " + shellQuoted(command)).c_str());
    if (raw == -1 || !WIFEXITED(raw)) throw std::runtime_error("could not run " + command);
    RunResult result{readFile(dir / ".stdout"), readFile(dir / ".stderr"), WEXITSTATUS(raw)};
    for (const char* name : {".stdin", ".stdout", ".stderr"}) std::filesystem::remove(dir / name);
    return result;
}

RunResult runWithFiles(const std::map<std::string, std::string>& files, const std::vector<std::string>& args,
                       const std::string& input) {
    ScratchDir dir;
    for (const auto& [name, content] : files) dir.write(name, content);
    return runIn(dir.path(), args, input);
}

}  // namespace pedlik::testing

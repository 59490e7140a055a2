#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pedlik::testing {

struct RunResult {
    std::string out, err;
    int status = 0;  // as the shell sees it: -1 is 255
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline std::string examplePath(const std::string& name) { return PEDLIK_SOURCE_DIR "/examples/" + name; }

// A fresh scratch folder, removed with the object.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pedlik-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder " + pattern);
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
    }

private:
    std::filesystem::path path_;
};

// Writes the files into a scratch folder and runs pedlik there with `args`, `input` on standard input; `shellPrefix`
// may set limits ("ulimit -v 500000;").
inline RunResult runWithFiles(const std::map<std::string, std::string>& files, const std::vector<std::string>& args, const std::string& input = "",
                              const std::string& shellPrefix = "") {
    const ScratchDir dir;
    for (const auto& [name, text] : files) dir.write(name, text);
    dir.write(".stdin", input);
    auto quoted = [](const std::string& text) { return "'" + text + "'"; };  // no test passes a quote
    std::string command = "cd " + quoted(dir.path().string()) + " && " + shellPrefix + " " + quoted(PEDLIK_BINARY);
    for (const std::string& arg : args) command.append(" ").append(quoted(arg));
    command.append(" <.stdin >.stdout 2>.stderr");
    const int raw = std::system(command.c_str());
    if (raw == -1 || !WIFEXITED(raw)) throw std::runtime_error("could not run " + command);
    return {readFile(dir.path() / ".stdout"), readFile(dir.path() / ".stderr"), WEXITSTATUS(raw)};
}

}  // namespace pedlik::testing

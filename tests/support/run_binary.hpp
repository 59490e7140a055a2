#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pedlik::testing {

struct RunResult {
    std::string out;
    std::string err;
    int status = 0;  // as the shell sees it: -1 is 255
};

// A fresh scratch folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

// Runs `binary` with `args` in `dir`, `input` on standard input; `shellPrefix` may set limits ("ulimit -v 500000;").
RunResult runIn(const std::filesystem::path& dir, const std::vector<std::string>& args, const std::string& input = "",
                const std::string& binary = PEDLIK_BINARY, const std::string& shellPrefix = "");

// Writes the files into a scratch folder and runs pedlik there.
RunResult runWithFiles(const std::map<std::string, std::string>& files, const std::vector<std::string>& args,
                       const std::string& input = "");

std::string readFile(const std::filesystem::path& path);
std::string examplePath(const std::string& name);

}  // namespace pedlik::testing

#include "results/result_files.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "results/lod_plot.hpp"
#include "results/results_table.hpp"
#include "results/summary_text.hpp"

namespace pedlik {

namespace {

// A new empty file beside `path`, named after it, with the permissions a
// file created there would have; its descriptor, or -1 with errno set.
int createTemporaryBeside(const std::string& path, std::string& temporaryPath) {
    const std::filesystem::path target(path);
    std::string name = ".";
    name.append(target.filename().string()).append(".XXXXXX");
    temporaryPath = (target.parent_path() / name).string();
    const int descriptor = mkstemp(temporaryPath.data());
    const mode_t mask = umask(0);
    umask(mask);
    if (descriptor >= 0) fchmod(descriptor, 0666 & ~mask);
    return descriptor;
}

std::string cannotWrite(const std::string& path, int error) {
    return formatMessage("cannot write %s: %s", path.c_str(), std::strerror(error));
}

// Whether a file can be made at `path`: a temporary one beside it is
// created and removed again, and nothing but a regular file stands there.
std::string writableProblem(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return cannotWrite(path, EISDIR);
    std::string temporaryPath;
    const int descriptor = createTemporaryBeside(path, temporaryPath);
    if (descriptor < 0) return cannotWrite(path, errno);
    close(descriptor);
    std::remove(temporaryPath.c_str());
    return "";
}

}  // namespace

bool writeThroughTemporary(const std::string& path, const std::function<bool(const std::string&, std::FILE*)>& write) {
    std::string temporaryPath;
    const int descriptor = createTemporaryBeside(path, temporaryPath);
    std::FILE* stream = descriptor < 0 ? nullptr : fdopen(descriptor, "w");
    if (stream == nullptr) {
        std::fprintf(stderr, "pedlik: %s\n", cannotWrite(path, errno).c_str());
        if (descriptor >= 0) close(descriptor), std::remove(temporaryPath.c_str());
        return false;
    }
    errno = 0;
    bool complete = write(temporaryPath, stream);
    complete = std::fclose(stream) == 0 && complete;
    complete = complete && std::rename(temporaryPath.c_str(), path.c_str()) == 0;
    if (!complete) {
        const int error = errno;
        std::remove(temporaryPath.c_str());
        std::fprintf(stderr, "pedlik: %s could not be completed%s%s\n", path.c_str(), error == 0 ? "" : ": ",
                     error == 0 ? "" : std::strerror(error));
    }
    return complete;
}

std::string resultFilesProblem(const ResultRequest& request) {
    return allocateOrDie("file names", [&]() -> std::string {
        if (!request.plotPath.empty()) {
            if (plotFormat(request.plotPath) == PlotFormat::none) {
                return formatMessage("cannot tell the plot's format from %s: its name must end in .png or .svg",
                                     request.plotPath.c_str());
            }
            if (!plotToolFound()) {
                return "--plot needs gnuplot, which is not installed (scripts/install-deps.sh --plot installs it)";
            }
            if (std::string problem = writableProblem(request.plotPath); !problem.empty()) return problem;
        }
        if (request.tablePath.empty() || request.tablePath == "-") return "";
        return writableProblem(request.tablePath);
    });
}

bool reportResults(const LodCurve& curve, const ResultRequest& request) {
    const LodResults results = summariseLodCurve(curve);
    if (request.summary) printSummary(results);
    bool made = true;
    if (!request.tablePath.empty() && results.rows.empty()) {
        std::fprintf(stderr, "pedlik: %s not written: the likelihood at theta 0.5 is 0\n", request.tablePath.c_str());
        made = false;
    } else if (request.tablePath == "-") {
        made = allocateOrDie("results table", [&] { return writeResultsTable(results, stdout); });
    } else if (!request.tablePath.empty()) {
        made = allocateOrDie("results table", [&] {
            return writeThroughTemporary(request.tablePath, [&](const std::string&, std::FILE* out) { return writeResultsTable(results, out); });
        });
    }
    if (request.plotPath.empty()) return made;
    if (results.rows.empty()) {
        std::fprintf(stderr, "pedlik: %s not drawn: the likelihood at theta 0.5 is 0\n", request.plotPath.c_str());
        return false;
    }
    return writeThroughTemporary(request.plotPath, [&](const std::string& temporaryPath, std::FILE*) {
        return drawLodPlot(results, temporaryPath, plotFormat(request.plotPath));
    }) && made;
}

}  // namespace pedlik

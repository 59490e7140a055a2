// Runs a command several times in a folder and prints the median processor
// time (user + system, seconds), the largest peak resident set (KiB) and the
// median wall time (seconds) of the runs, as "SECONDS KIB WALL". The
// command's standard output of the last run
// is left in FOLDER/stdout.txt and its standard error in FOLDER/stderr.txt.
// Processor time, unlike wall time, is not stretched by other work on a
// shared machine, and wait4 measures it to the microsecond, which the
// shortest runs need; wall time is what threads shorten.
//
// The timer limits each run itself, to SECONDS of wall time (killed past
// them) and KIB of address space, rather than through a shell, ulimit and
// timeout: those cost about 10 ms a run, as much as a small case's whole
// likelihood, and would be timed with it.
//
// Usage: pedlik_bench_timer RUNS FOLDER SECONDS KIB COMMAND [ARGUMENT...]
// Exit status 1, with the reason on standard error, when a run fails.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Limits {
    unsigned seconds;
    rlim_t addressBytes;
};

struct Usage {
    double seconds;
    long peakKib;
    double wallSeconds;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

[[noreturn]] void runChild(const std::string& folder, char** command, const Limits& limits) {
    const rlimit address{limits.addressBytes, limits.addressBytes};
    if (setrlimit(RLIMIT_AS, &address) != 0) _exit(126);
    const int input = open("/dev/null", O_RDONLY);
    const int output = open((folder + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errors = open((folder + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (chdir(folder.c_str()) != 0 || input < 0 || output < 0 || errors < 0) _exit(126);
    dup2(input, 0);
    dup2(output, 1);
    dup2(errors, 2);
    execvp(command[0], command);
    _exit(127);
}

// The alarm only has to interrupt the wait.
void onAlarm(int) {}

// One run; false when it could not start, ran past the time limit or did
// not exit with status 0.
bool timeOneRun(const std::string& folder, char** command, const Limits& limits, Usage& usage) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) runChild(folder, command, limits);
    int status = 0;
    rusage used{};
    alarm(limits.seconds);
    pid_t waited = wait4(child, &status, 0, &used);
    const bool timedOut = waited < 0 && errno == EINTR;
    if (timedOut) {
        kill(child, SIGKILL);
        waited = wait4(child, &status, 0, &used);
    }
    alarm(0);
    if (waited != child || timedOut) return false;
    usage.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    usage.seconds = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                    static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) * 1e-6;
    usage.peakKib = used.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6 || std::atoi(argv[1]) < 1 || std::atoi(argv[3]) < 1 || std::atol(argv[4]) < 1) {
        std::fprintf(stderr, "usage: %s RUNS FOLDER SECONDS KIB COMMAND [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string folder = argv[2];
    const Limits limits{static_cast<unsigned>(std::atoi(argv[3])), static_cast<rlim_t>(std::atol(argv[4])) * 1024};
    struct sigaction alarmAction{};
    alarmAction.sa_handler = onAlarm;  // no SA_RESTART: the wait must end
    sigaction(SIGALRM, &alarmAction, nullptr);
    std::vector<double> seconds, wallSeconds;
    long peakKib = 0;
    for (int run = 0; run < runs; ++run) {
        Usage usage{};
        if (!timeOneRun(folder, argv + 5, limits, usage)) {
            std::fprintf(stderr, "%s failed in %s (see stderr.txt there)\n", argv[5], folder.c_str());
            return 1;
        }
        seconds.push_back(usage.seconds);
        wallSeconds.push_back(usage.wallSeconds);
        peakKib = std::max(peakKib, usage.peakKib);
    }
    std::printf("%.6f %ld %.6f\n", median(seconds), peakKib, median(wallSeconds));
    return 0;
}

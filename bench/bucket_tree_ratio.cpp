// Times one bucket-tree elimination over all pedigrees (RunBte on every
// tree, messages and selector beliefs included; for a pedigree whose tree
// does not fit the default memory or costs more than its branches, every
// conditioning branch's tree), on the orders the bucket-tree mode makes,
// against one likelihood by elimination (computeLikelihoods) on the orders
// the LOD-score mode makes, and prints both, their ratio, each one's peak
// memory, the multiply-adds each one's orders predict (the bucket trees':
// one elimination over them, which a pass makes about three times), and
// the median and worst ratio.
// Products, trimming, orders and trees are built anew, untimed, before every
// timed run; the orders are made once per case and their making is timed
// apart. Each computation runs in a child process of its own under a 4 GiB
// address space, so that its peak resident memory is its own.
//
// Usage: pedlik_bench_buckettree [CASE_FOLDER...]
// Each folder holds datafile3.dat and pedfile3.dat (program code 4 or 5).
// Without folders it writes and runs the cases of make bench
// (bench/bench_cases.hpp). With BENCH_SAME_ORDER=1 it also times the
// likelihood by elimination on the orders of one tree per pedigree, which
// gives the cost of a bucket-tree elimination on one order against
// elimination's where no pedigree runs branch by branch.
// Exit status 1 when the two computations disagree on a likelihood; a case
// that does not fit, or takes more than BENCH_SECONDS (300) seconds of
// wall time, is reported, not a failure.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_cases.hpp"
#include "buckettree/bte_run.hpp"
#include "buckettree/expected_values.hpp"
#include "buckettree/merging.hpp"
#include "buckettree/reestimation.hpp"
#include "buckettree/tree_construction.hpp"
#include "driver/bucket_tree_mode.hpp"
#include "driver/read_problem.hpp"
#include "driver/trimmed_products.hpp"
#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/network_nodes.hpp"
#include "oracle/dataset.hpp"
#include "ordering/elimination_order.hpp"
#include "product/likelihood.hpp"

namespace {

namespace fs = std::filesystem;

// Processor time: unlike wall time it is not stretched by other work on a
// shared machine, which matters for runs of a fraction of a millisecond.
double processorSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

// Up to this many runs of a computation, but no more once its runs have
// taken this long: the slow cases are timed once.
constexpr int maxRepeats = 9;
constexpr double repeatSeconds = 2.0;
constexpr rlim_t memoryCap = rlim_t{4} << 30;
// Wall seconds one computation may take (BENCH_SECONDS overrides). Not a
// processor-time limit: with one set, the kernel counts the process's
// processor time only at each tick, too coarse for the small cases.
constexpr double defaultSecondsCap = 300;

std::vector<fs::path> writeBenchCases(const fs::path& folder) {
    std::vector<fs::path> cases;
    for (const pedlik::bench::BenchCase& benchCase : pedlik::bench::benchCases) {
        const pedlik::oracle::Dataset data = pedlik::bench::benchDataset(benchCase);
        const fs::path place = folder / benchCase.name;
        fs::create_directories(place);
        std::ofstream(place / "datafile3.dat") << pedlik::oracle::toPedlikLocusFile(data);
        std::ofstream(place / "pedfile3.dat") << pedlik::oracle::toPedlikPedigreeFile(data);
        cases.push_back(place);
    }
    return cases;
}

void loadCase(const fs::path& folder) {
    pedlik::runParameters = pedlik::RunParameters{};
    const std::string locus = (folder / "datafile3.dat").string();
    const std::string pedigree = (folder / "pedfile3.dat").string();
    pedlik::readProblem(locus.c_str(), pedigree.c_str());
    pedlik::PedigreeList& pedigrees = pedlik::runParameters.pedigrees;
    if (pedlik::runParameters.isSexLinked == 1) {
        pedlik::eliminateGenotypesSexLinked(pedigrees);
        pedlik::createNetworkNodesSexLinked(pedigrees);
    } else {
        pedlik::eliminateGenotypes(pedigrees);
        pedlik::createNetworkNodes(pedigrees);
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

enum class Computation { elimination, bucketTree, eliminationOnTreeOrders };

struct Timing {
    double seconds = 0.0;
    double logLikelihood = 0.0;
};

// Products and trimming, then the orders when there are none yet.
pedlik::ProductArray prepare(std::vector<pedlik::EliminationOrder>& orders, const pedlik::OrderLimits& limits,
                             double& orderSeconds) {
    pedlik::PedigreeList& pedigrees = pedlik::runParameters.pedigrees;
    pedlik::ProductArray products;
    if (!pedlik::buildTrimmedProducts(pedigrees, products)) std::exit(3);
    if (orders.empty()) {
        const double start = processorSeconds();
        orders = pedlik::makeEliminationOrders(products, pedigrees, pedlik::runParameters.lociCount, limits);
        orderSeconds = processorSeconds() - start;
    }
    return products;
}

Timing timeElimination(std::vector<pedlik::EliminationOrder>& orders, const pedlik::OrderLimits& limits,
                       double& orderSeconds) {
    pedlik::ProductArray products = prepare(orders, limits, orderSeconds);
    const double start = processorSeconds();
    pedlik::computeLikelihoods(products, orders, pedlik::runParameters.pedigrees);
    return {processorSeconds() - start, pedlik::runParameters.logLikelihood};
}

// What the orders predict, summed over the pedigrees: for the bucket
// trees, those of the plan (a branched pedigree's conditioning order, whose
// kept entries are those of one branch's tree).
struct Prediction {
    double multiplyAdds = 0.0;
    double entries = 0.0;
};

Prediction predictionOf(const std::vector<pedlik::EliminationOrder>& orders, const pedlik::BranchedPedigrees* branched) {
    Prediction total;
    for (std::size_t k = 0; k < orders.size(); ++k) {
        const bool isBranched = branched != nullptr && branched->isBranched(k);
        const pedlik::EliminationOrder& order = isBranched ? branched->orders[k] : orders[k];
        total.multiplyAdds += order.predictedMultiplyAdds;
        total.entries += order.predictedEntries;
    }
    return total;
}

Timing timeBucketTrees(std::vector<pedlik::EliminationOrder>& orders, const pedlik::OrderLimits& limits,
                       double& orderSeconds, Prediction& predicted) {
    pedlik::PedigreeList& pedigrees = pedlik::runParameters.pedigrees;
    pedlik::ProductArray products = prepare(orders, limits, orderSeconds);
    Timing timing;
    {
        pedlik::BranchedPedigrees branched = pedlik::planBranches(
            orders,
            pedlik::makeEliminationOrders(products, pedigrees, pedlik::runParameters.lociCount,
                                          pedlik::bucketTreeBranchLimits({})),
            {});
        predicted = predictionOf(orders, &branched);
        pedlik::BucketTreeArray trees = pedlik::createBucketTrees(products, orders, branched);
        pedlik::createVarArrays(trees);
        pedlik::mergeLimit = 85;
        pedlik::MergeBuckets(trees, pedlik::mergeLimit);
        pedlik::CountMeioses(pedigrees);
        const double start = processorSeconds();
        pedlik::RunAllTrees(pedigrees, products, trees, &branched);
        timing = {processorSeconds() - start, pedlik::runParameters.logLikelihood + pedlik::bteLogLikelihood};
        // Takes the beliefs off the nodes; the next run is to find the same
        // likelihood, at the fractions as read.
        const std::vector<pedlik::ThetaPair> fractions = pedlik::runParameters.thetaVals;
        pedlik::ExpectedValues(pedigrees, nullptr, &branched.counts);
        pedlik::runParameters.thetaVals = fractions;
    }
    products.clear();
    pedlik::resetNodeLinks(pedigrees);
    return timing;
}

// What a child process sends back: the median time of its runs, and what
// the cost model predicts for its orders summed over the pedigrees.
struct Measured {
    double seconds = 0.0;
    double orderSeconds = 0.0;
    double logLikelihood = 0.0;
    int runs = 0;
    Prediction predicted;
};

Measured measure(const fs::path& folder, Computation computation) {
    loadCase(folder);
    const pedlik::OrderLimits limits =
        computation == Computation::elimination ? pedlik::OrderLimits{} : pedlik::bucketTreeOrderLimits({});
    std::vector<pedlik::EliminationOrder> orders;
    std::vector<double> times;
    Measured measured;
    double spent = 0.0;
    while (static_cast<int>(times.size()) < maxRepeats && (times.empty() || spent < repeatSeconds)) {
        const Timing timing = computation == Computation::bucketTree
                                  ? timeBucketTrees(orders, limits, measured.orderSeconds, measured.predicted)
                                  : timeElimination(orders, limits, measured.orderSeconds);
        times.push_back(timing.seconds);
        spent += timing.seconds;
        measured.logLikelihood = timing.logLikelihood;
    }
    measured.seconds = median(times);
    measured.runs = static_cast<int>(times.size());
    if (computation != Computation::bucketTree) measured.predicted = predictionOf(orders, nullptr);
    return measured;
}

struct Outcome {
    bool completed = false;
    bool outOfTime = false;
    Measured measured;
    double peakMiB = 0.0;
};

const char* failure(const Outcome& outcome) { return outcome.outOfTime ? "ran out of time" : "did not fit in 4 GiB"; }

// The computation in a child process under the memory cap: a case whose
// tables do not fit ends there with the allocation report, one that takes
// longer than `secondsCap` is stopped, and the bench goes on.
Outcome runChild(const fs::path& folder, Computation computation, double secondsCap) {
    int channel[2];
    if (pipe(channel) != 0) std::exit(2);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const rlimit cap{memoryCap, memoryCap};
        setrlimit(RLIMIT_AS, &cap);
        if (std::freopen("/dev/null", "w", stderr) == nullptr) std::_Exit(2);
        const Measured measured = measure(folder, computation);
        if (write(channel[1], &measured, sizeof measured) != static_cast<ssize_t>(sizeof measured)) std::_Exit(2);
        std::_Exit(0);
    }
    close(channel[1]);
    Outcome outcome;
    // Waits in steps of a tenth of a second; the child writes its result
    // only at its end, which the pipe's buffer holds.
    int status = 0;
    rusage usage{};
    for (double waited = 0.0; wait4(child, &status, WNOHANG, &usage) == 0; waited += 0.1) {
        if (waited >= secondsCap) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            outcome.outOfTime = true;
            break;
        }
        usleep(100'000);
    }
    outcome.completed = read(channel[0], &outcome.measured, sizeof outcome.measured) ==
                        static_cast<ssize_t>(sizeof outcome.measured);
    close(channel[0]);
    outcome.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return outcome;
}

bool sameLogLikelihood(double a, double b) { return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(a)); }

}  // namespace

int main(int argc, char** argv) {
    const auto wallStart = std::chrono::steady_clock::now();
    // The library reports its stages on standard output; the bench's table
    // goes to the original standard output.
    std::fflush(stdout);
    std::FILE* table = fdopen(dup(STDOUT_FILENO), "w");
    if (table == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) return 2;
    const char* sameOrder = std::getenv("BENCH_SAME_ORDER");
    const bool timeSameOrder = sameOrder != nullptr && std::string(sameOrder) == "1";
    const char* secondsText = std::getenv("BENCH_SECONDS");
    const double secondsCap = secondsText != nullptr ? std::strtod(secondsText, nullptr) : defaultSecondsCap;

    std::vector<fs::path> cases;
    fs::path written;
    if (argc > 1) {
        for (int k = 1; k < argc; ++k) cases.emplace_back(argv[k]);
    } else {
        std::string pattern = (fs::temp_directory_path() / "pedlik-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return 2;
        written = pattern;
        cases = writeBenchCases(written);
    }

    std::fprintf(table,
                 "Processor time, median of up to %d runs (fewer past %.0f s); peak resident memory of each "
                 "computation's process; orders made once per case; at most %.0f s wall time per computation.\n",
                 maxRepeats, repeatSeconds, secondsCap);
    std::fprintf(table, "%-14s %10s %4s %10s %4s %6s %9s %9s %9s %10s %10s %8s %8s %4s%s\n", "case", "elim s", "runs",
                 "tree s", "runs", "ratio", "elim MiB", "tree MiB", "pred MiB", "elim Madd", "tree Madd", "ns/madd",
                 "order s", "same",
                 timeSameOrder ? "  elim-on-tree-order s  tree/that" : "");
    std::fflush(table);
    std::vector<double> ratios;
    int failed = 0;
    bool disagree = false;
    for (const fs::path& folder : cases) {
        const std::string name = folder.filename().string();
        const Outcome elimination = runChild(folder, Computation::elimination, secondsCap);
        const Outcome tree = runChild(folder, Computation::bucketTree, secondsCap);
        if (!elimination.completed || !tree.completed) {
            ++failed;
            std::fprintf(table, "%-14s elimination %s, bucket trees %s (%.0f MiB)\n", name.c_str(),
                         elimination.completed ? "done" : failure(elimination), tree.completed ? "done" : failure(tree),
                         tree.peakMiB);
            std::fflush(table);
            continue;
        }
        const Measured& e = elimination.measured;
        const Measured& b = tree.measured;
        const double ratio = b.seconds / e.seconds;
        ratios.push_back(ratio);
        const bool same = sameLogLikelihood(e.logLikelihood, b.logLikelihood);
        disagree = disagree || !same;
        std::fprintf(table, "%-14s %10.4f %4d %10.4f %4d %6.2f %9.1f %9.1f %9.1f %10.1f %10.1f %8.3f %8.3f %4s",
                     name.c_str(), e.seconds, e.runs, b.seconds, b.runs, ratio, elimination.peakMiB, tree.peakMiB,
                     b.predicted.entries * sizeof(double) / (1 << 20), e.predicted.multiplyAdds * 1e-6,
                     b.predicted.multiplyAdds * 1e-6, b.seconds / b.predicted.multiplyAdds * 1e9, b.orderSeconds,
                     same ? "yes" : "NO");
        if (!same) std::fprintf(table, " (ln L %.9f against %.9f)", b.logLikelihood, e.logLikelihood);
        if (timeSameOrder) {
            const Outcome onTreeOrder = runChild(folder, Computation::eliminationOnTreeOrders, secondsCap);
            if (onTreeOrder.completed) {
                std::fprintf(table, "  %20.4f  %9.2f", onTreeOrder.measured.seconds,
                             b.seconds / onTreeOrder.measured.seconds);
            }
        }
        std::fprintf(table, "\n");
        std::fflush(table);
    }
    if (!ratios.empty()) {
        const double worst = *std::max_element(ratios.begin(), ratios.end());
        const long within = std::count_if(ratios.begin(), ratios.end(), [](double r) { return r <= 3.0; });
        std::fprintf(table, "bucket tree / elimination over %zu cases: median %.2f, worst %.2f, %ld within 3\n",
                     ratios.size(), median(ratios), worst, within);
    }
    if (failed > 0) std::fprintf(table, "%d cases did not complete\n", failed);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::fprintf(table, "whole bench: %.0f s wall time\n", wallSeconds);
    std::fclose(table);
    if (!written.empty()) fs::remove_all(written);
    return disagree ? 1 : 0;
}

// Times one bucket-tree elimination over all pedigrees (RunBte on every
// tree, messages and selector beliefs included) against one likelihood by
// elimination (computeLikelihoods) on the same data, with the same orders,
// and prints the ratio per case and its median. Products, trimming, orders
// and trees are built anew, untimed, before every timed run.
//
// Usage: pedlik_bench_buckettree [CASE_FOLDER...]
// Each folder holds datafile3.dat and pedfile3.dat (program code 4 or 5).
// Without folders it generates its own cases (bench/realistic_families.hpp).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "realistic_families.hpp"
#include "buckettree/bte_run.hpp"
#include "buckettree/expected_values.hpp"
#include "buckettree/merging.hpp"
#include "buckettree/tree_construction.hpp"
#include "driver/read_problem.hpp"
#include "driver/trimmed_products.hpp"
#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/network_nodes.hpp"
#include "oracle/dataset.hpp"
#include "ordering/elimination_order.hpp"

namespace {

namespace fs = std::filesystem;
// Processor time: unlike wall time it is not stretched by other work on a
// shared machine, which matters for runs of a fraction of a millisecond.
struct Clock {
    using time_point = double;
    static double now() {
        timespec used{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
        return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
    }
};

constexpr int repeats = 9;

// Families of 25 to 50 persons with 2 to 4 markers, autosomal and
// sex-linked, one with a loop.
const pedlik::bench::BenchCase generatedCases[] = {
    {"p40-m3", 11, 3, 5, 6, 1, 40, 4, false, false}, {"p30-m4", 12, 4, 4, 5, 1, 30, 3, false, false},
    {"p45-m3-x", 13, 3, 5, 6, 1, 45, 4, true, false}, {"2x25-m3", 14, 3, 4, 6, 2, 25, 3, false, false},
    {"p50-m2", 15, 2, 6, 8, 1, 50, 5, false, false}, {"p35-m3-loop", 16, 3, 4, 6, 1, 35, 4, false, true},
};

std::vector<fs::path> writeGeneratedCases(const fs::path& folder) {
    std::vector<fs::path> cases;
    for (const pedlik::bench::BenchCase& generated : generatedCases) {
        const pedlik::oracle::Dataset data = pedlik::bench::benchDataset(generated);
        const fs::path place = folder / generated.name;
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

double seconds(Clock::time_point from) { return Clock::now() - from; }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct Timing {
    double seconds = 0.0;
    double logLikelihood = 0.0;
};

Timing timeElimination(std::vector<pedlik::EliminationOrder>& orders) {
    pedlik::PedigreeList& pedigrees = pedlik::runParameters.pedigrees;
    pedlik::ProductArray products;
    if (!pedlik::buildTrimmedProducts(pedigrees, products)) std::exit(3);
    if (orders.empty()) orders = pedlik::makeEliminationOrders(products, pedigrees, pedlik::runParameters.lociCount);
    const Clock::time_point start = Clock::now();
    pedlik::computeLikelihoods(products, orders, pedigrees);
    return {seconds(start), pedlik::runParameters.logLikelihood};
}

Timing timeBucketTrees(const std::vector<pedlik::EliminationOrder>& orders) {
    pedlik::PedigreeList& pedigrees = pedlik::runParameters.pedigrees;
    pedlik::ProductArray products;
    if (!pedlik::buildTrimmedProducts(pedigrees, products)) std::exit(3);
    Timing timing;
    {
        pedlik::BucketTreeArray trees = pedlik::createBucketTrees(products, orders);
        pedlik::createVarArrays(trees);
        pedlik::mergeLimit = 85;
        pedlik::MergeBuckets(trees, pedlik::mergeLimit);
        pedlik::CountMeioses(pedigrees);
        pedlik::bteLogLikelihood = 0.0;
        const Clock::time_point start = Clock::now();
        for (std::unique_ptr<pedlik::BucketTree>& tree : trees) pedlik::RunBte(*tree);
        timing = {seconds(start), pedlik::runParameters.logLikelihood + pedlik::bteLogLikelihood};
        pedlik::ExpectedValues(pedigrees);  // takes the beliefs off the nodes
    }
    products.clear();
    pedlik::resetNodeLinks(pedigrees);
    return timing;
}

constexpr rlim_t memoryCap = rlim_t{4} << 30;

// Median times of both computations over `repeats` runs, and whether they
// found the same likelihood.
struct CaseResult {
    double elimination = 0.0;
    double bucketTree = 0.0;
    bool same = false;
};

CaseResult runCase(const fs::path& folder) {
    loadCase(folder);
    std::vector<pedlik::EliminationOrder> orders;
    std::vector<double> elimination, bucketTree;
    CaseResult result;
    for (int r = 0; r < repeats; ++r) {
        const Timing e = timeElimination(orders);
        const Timing b = timeBucketTrees(orders);
        elimination.push_back(e.seconds);
        bucketTree.push_back(b.seconds);
        result.same = std::abs(e.logLikelihood - b.logLikelihood) <= 1e-9 * std::max(1.0, std::abs(e.logLikelihood));
    }
    result.elimination = median(elimination);
    result.bucketTree = median(bucketTree);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    // The library reports its stages on standard output; the bench's table
    // goes to the original standard output.
    std::fflush(stdout);
    std::FILE* table = fdopen(dup(STDOUT_FILENO), "w");
    if (table == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) return 2;

    std::vector<fs::path> cases;
    fs::path generated;
    if (argc > 1) {
        for (int k = 1; k < argc; ++k) cases.emplace_back(argv[k]);
    } else {
        std::string pattern = (fs::temp_directory_path() / "pedlik-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return 2;
        generated = pattern;
        cases = writeGeneratedCases(generated);
    }

    std::fprintf(table, "%-24s %14s %14s %8s %s\n", "case", "elimination ms", "bucket tree ms", "ratio", "same ln L");
    std::fflush(table);
    std::vector<double> ratios;
    for (const fs::path& folder : cases) {
        // Each case runs in a child process under a memory cap: bucket
        // trees cannot condition, and a case whose tables do not fit ends
        // with the allocation report without taking the bench down.
        int channel[2];
        if (pipe(channel) != 0) return 2;
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            const rlimit cap{memoryCap, memoryCap};
            setrlimit(RLIMIT_AS, &cap);
            if (std::freopen("/dev/null", "w", stderr) == nullptr) std::_Exit(2);
            const CaseResult result = runCase(folder);
            if (write(channel[1], &result, sizeof result) != static_cast<ssize_t>(sizeof result)) std::_Exit(2);
            std::_Exit(0);
        }
        close(channel[1]);
        CaseResult result;
        const bool read = ::read(channel[0], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
        close(channel[0]);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string name = folder.filename().string();
        if (!read) {
            std::fprintf(table, "%-24s %14s %14s %8s (the bucket trees' tables do not fit in %lld GB)\n", name.c_str(),
                         "-", "-", "-", static_cast<long long>(memoryCap >> 30));
            std::fflush(table);
            continue;
        }
        const double ratio = result.bucketTree / result.elimination;
        ratios.push_back(ratio);
        std::fprintf(table, "%-24s %14.3f %14.3f %8.2f %s\n", name.c_str(), result.elimination * 1e3,
                     result.bucketTree * 1e3, ratio, result.same ? "yes" : "NO");
        std::fflush(table);
    }
    if (!ratios.empty()) std::fprintf(table, "median ratio %.2f over %zu cases\n", median(ratios), ratios.size());
    std::fclose(table);
    if (!generated.empty()) fs::remove_all(generated);
    return 0;
}

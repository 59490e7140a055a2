// Times the stepped sum-out (sumProductIncremental, the kernel behind
// elimination's sumOutVariable) on tables shaped like those of the bench's
// hard case, and prints its rate in multiply-adds per second against one
// core's scalar peak, measured here.
//
// A sum-out of a variable with V values from K input tables into a result of
// N entries counts N x V x K multiply-adds. The shapes are the heaviest
// sum-outs of case p47-m5 (47 persons, 5 markers of 6 to 8 alleles): results
// of 6.10^4 to 2.10^6 entries over selector variables of 2 values and a few
// allele or genotype variables, mostly two inputs; their rates are combined
// in proportion to their share of that case's multiply-adds. One more shape,
// with 5 to 8 values per variable and four inputs, is timed on its own.
// Inputs hold uniform random entries, half of them 0.0 as in that case's
// tables; there the zeros follow the genotypes, here they fall at random,
// which slows a kernel that branches on them more than real tables do.
//
// Usage: pedlik_bench_kernel [SECONDS_PER_RUN]   (default 0.2; five runs per shape)

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "product/sum_out.hpp"
#include "product/tables.hpp"

namespace {

using pedlik::Function;
using pedlik::Variable;

constexpr int summedPosition = -1;

struct Shape {
    const char* name;
    std::vector<int> resultValues;         // the value counts of the result's variables
    int summedValues;                      // of the variable summed out
    std::vector<std::vector<int>> inputs;  // each input's variables: result positions or summedPosition
    double share;                          // of the hard case's multiply-adds, 0 for a shape timed on its own
};

constexpr int v = summedPosition;
std::vector<int> binary(int count) { return std::vector<int>(static_cast<std::size_t>(count), 2); }
std::vector<int> joined(std::vector<int> first, const std::vector<int>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::vector<Shape> shapes = {
    {"p47 first", joined(binary(17), {7, 2}), 8,
     {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, v, 11}, {v, 2, 12, 0, 13, 14, 15, 16, 4, 17, 18}}, 15.74},
    {"p47 second", {2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2, 4, 2, 4}, 7,
     {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, v, 11}, {8, 10, 12, 6, 13, v, 7, 9, 14}}, 7.38},
    {"p47 third", {2, 2, 2, 2, 2, 2, 4, 2, 4, 2, 2, 2, 2, 2, 2, 2}, 2,
     {{0, 1, v, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 3, 7, 4, 1, 2, 13, 14, 15, 0, v}}, 4.78},
    {"p47 fourth", binary(19), 8,
     {{v, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {2, 10, 0, 11, 7, 12, 13, 14, 15, 16, 17, v, 18}}, 4.50},
    {"p47 fifth", joined(binary(11), {4, 2, 4}), 3,
     {{0, 1, 2, 3, 4, 5, v, 6, 7, 8, 9, 10}, {7, 9, 11, v, 12, 6, 8, 13}}, 3.90},
    {"p47 sixth", {2, 2, 4, 2, 2, 2, 4, 2, 2, 2, 2, 2, 2, 2}, 3,
     {{0, 1, 2, v, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12, v, 4, 0, 5, 1, 13}}, 3.69},
    {"p47 three inputs", {2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 7, 2, 2, 2}, 3,
     {{0, 1, 2, 3, 4, 5, 6, v, 7, 8, 9, 10}, {0, 1, 2, 3, 4, 5, 6, v, 7, 8, 9, 10}, {11, v, 12, 13, 14}}, 1.04},
    {"5-8 values", {7, 8, 6, 7, 5, 8}, 7, {{0, 1, v}, {v, 2, 3}, {1, v, 4, 5}, {3, v}}, 0.0},
};

// Processor time, which other work on a shared machine does not stretch.
double processorSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

// The records of one sum-out, built once and summed out again and again.
struct SumOut {
    std::vector<std::unique_ptr<Variable>> variables;  // the result's, then the summed one
    std::vector<std::unique_ptr<Function>> inputs;
    std::vector<Function*> inputList;
    Function result;
    double multiplyAdds = 0.0;
};

SumOut buildSumOut(const Shape& shape, std::mt19937_64& random) {
    SumOut sumOut;
    auto newVariable = [&](int valueCount) {
        sumOut.variables.push_back(std::make_unique<Variable>());
        sumOut.variables.back()->valueCount = valueCount;
        sumOut.variables.back()->inUse = 1;
        return sumOut.variables.back().get();
    };
    std::size_t resultSize = 1;
    for (const int values : shape.resultValues) {
        sumOut.result.vars.push_back(newVariable(values));
        resultSize *= static_cast<std::size_t>(values);
    }
    Variable* summed = newVariable(shape.summedValues);
    std::uniform_real_distribution<double> entry(0.0, 1.0);
    for (const std::vector<int>& positions : shape.inputs) {
        auto input = std::make_unique<Function>();
        std::size_t size = 1;
        for (const int position : positions) {
            Variable* listed = position == summedPosition ? summed : sumOut.result.vars[static_cast<std::size_t>(position)];
            input->vars.push_back(listed);
            size *= static_cast<std::size_t>(listed->valueCount);
        }
        pedlik::SharedTable table = pedlik::newTable(size, "bench input");
        for (double& value : *table) value = entry(random) < 0.5 ? 0.0 : entry(random);
        pedlik::setTable(*input, std::move(table), 1);
        sumOut.inputList.push_back(input.get());
        sumOut.inputs.push_back(std::move(input));
    }
    pedlik::setTable(sumOut.result, pedlik::newTable(resultSize, "bench result"), 1);
    sumOut.multiplyAdds = static_cast<double>(resultSize) * shape.summedValues * static_cast<double>(shape.inputs.size());
    return sumOut;
}

// Multiply-adds per second of repeated sum-outs, the median of five runs
// of `seconds` of processor time each: other work on a shared machine
// slows some runs through the caches it shares.
double sumOutRate(const Shape& shape, double seconds, std::mt19937_64& random) {
    SumOut sumOut = buildSumOut(shape, random);
    Variable& summed = *sumOut.variables.back();
    std::vector<double> rates;
    for (int run = 0; run < 5; ++run) {
        double done = 0.0;
        const double start = processorSeconds();
        double elapsed = 0.0;
        do {
            pedlik::sumProductIncremental(sumOut.result, summed, sumOut.inputList);
            done += sumOut.multiplyAdds;
            elapsed = processorSeconds() - start;
        } while (elapsed < seconds);
        rates.push_back(done / elapsed);
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

// One core's scalar peak: twelve independent chains of a multiply and an
// add, as many as the floating-point pipes' latency times their count, so
// that the pipes never wait; the best of five runs, as other work only
// slows it. This file is compiled without vectorisation, which keeps the
// chains scalar.
double scalarPeak(double seconds) {
    volatile double factorSource = 0.5, addendSource = 1.0;
    const double factor = factorSource, addend = addendSource;
    double chains[12] = {};
    constexpr long batch = 1 << 20;
    double best = 0.0;
    for (int run = 0; run < 5; ++run) {
        double done = 0.0;
        const double start = processorSeconds();
        double elapsed = 0.0;
        do {
            for (long n = 0; n < batch; ++n) {
                for (double& chain : chains) chain = chain * factor + addend;
            }
            done += 12.0 * batch;
            elapsed = processorSeconds() - start;
        } while (elapsed < seconds);
        best = std::max(best, done / elapsed);
    }
    volatile double sink = 0.0;
    for (const double chain : chains) sink = sink + chain;
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.2;
    if (!(seconds > 0.0)) {
        std::fprintf(stderr, "usage: pedlik_bench_kernel [SECONDS_PER_RUN]\n");
        return 2;
    }
    std::mt19937_64 random(12);
    const double peak = scalarPeak(seconds);
    double shares = 0.0, timePerMultiplyAdd = 0.0;
    for (const Shape& shape : shapes) {
        const double rate = sumOutRate(shape, seconds, random);
        char share[32] = "not weighted";
        if (shape.share > 0.0) std::snprintf(share, sizeof share, "%5.2f %% of p47-m5", shape.share);
        std::printf("  %-18s %-17s %9.3g multiply-adds per second\n", shape.name, share, rate);
        shares += shape.share;
        timePerMultiplyAdd += shape.share / rate;
    }
    const double rate = shares / timePerMultiplyAdd;
    std::printf("kernel: %.3g multiply-adds per second (%.0f %% of one core's scalar peak of %.3g)\n", rate,
                100.0 * rate / peak, peak);
    std::printf("  (the p47-m5 shapes weighted by their share, each the median of five runs; the peak the best of\n"
                "  five runs of 12 independent scalar multiply-add chains)\n");
    return 0;
}

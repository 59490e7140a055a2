#include "support/product_total.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace pedlik::testing {

namespace {

// A table over variables named by their slot, row-major, the last one
// running fastest.
struct Factor {
    std::vector<int> vars;
    std::vector<double> entries;
};

struct Problem {
    std::vector<int> valueCounts;  // by slot
    std::vector<Factor> factors;
};

std::size_t resultSize(const Problem& problem, int summed) {
    std::vector<int> scope;
    for (const Factor& factor : problem.factors) {
        if (std::find(factor.vars.begin(), factor.vars.end(), summed) == factor.vars.end()) continue;
        for (int v : factor.vars) {
            if (v != summed && std::find(scope.begin(), scope.end(), v) == scope.end()) scope.push_back(v);
        }
    }
    std::size_t size = 1;
    for (int v : scope) size *= static_cast<std::size_t>(problem.valueCounts[v]);
    return size;
}

std::size_t entryIndex(const Factor& factor, const std::vector<int>& digits, const std::vector<int>& valueCounts) {
    std::size_t index = 0;
    for (int v : factor.vars)
        index = index * static_cast<std::size_t>(valueCounts[v]) + static_cast<std::size_t>(digits[v]);
    return index;
}

// Replaces the factors over `summed` by their product summed over its values.
void sumOut(Problem& problem, int summed) {
    std::vector<Factor> touching;
    std::vector<Factor> rest;
    for (Factor& factor : problem.factors) {
        const bool lists = std::find(factor.vars.begin(), factor.vars.end(), summed) != factor.vars.end();
        (lists ? touching : rest).push_back(std::move(factor));
    }
    Factor result;
    for (const Factor& factor : touching) {
        for (int v : factor.vars) {
            if (v != summed && std::find(result.vars.begin(), result.vars.end(), v) == result.vars.end()) {
                result.vars.push_back(v);
            }
        }
    }
    std::vector<int> digits(problem.valueCounts.size(), 0);
    while (true) {
        double sum = 0.0;
        for (digits[summed] = 0; digits[summed] < problem.valueCounts[summed]; ++digits[summed]) {
            double term = 1.0;
            for (const Factor& factor : touching)
                term *= factor.entries[entryIndex(factor, digits, problem.valueCounts)];
            sum += term;
        }
        result.entries.push_back(sum);
        std::size_t position = result.vars.size();
        while (position > 0 && ++digits[result.vars[position - 1]] == problem.valueCounts[result.vars[position - 1]]) {
            digits[result.vars[--position]] = 0;
        }
        if (position == 0) break;
    }
    rest.push_back(std::move(result));
    problem.factors = std::move(rest);
}

}  // namespace

double logProductTotal(const Product& product) {
    Problem problem;
    std::vector<int> live;
    for (const Variable& variable : product.variables) {
        problem.valueCounts.push_back(variable.valueCount);
        if (variable.inUse) live.push_back(static_cast<int>(&variable - product.variables.data()));
    }
    double logScale = 0.0;
    for (const Function& function : product.functions) {
        if (!function.inUse) continue;
        logScale += function.logScale;
        Factor& factor = problem.factors.emplace_back();
        for (const Variable* variable : function.vars) {
            factor.vars.push_back(static_cast<int>(variable - product.variables.data()));
        }
        factor.entries.assign(function.probablist.begin(), function.probablist.end());
    }
    while (!live.empty()) {
        const auto cheapest = std::min_element(
            live.begin(), live.end(), [&](int a, int b) { return resultSize(problem, a) < resultSize(problem, b); });
        sumOut(problem, *cheapest);
        live.erase(cheapest);
    }
    double total = 1.0;
    for (const Factor& factor : problem.factors) total *= factor.entries.at(0);
    return std::log(total) + logScale;
}

}  // namespace pedlik::testing

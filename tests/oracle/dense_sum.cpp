#include "oracle/dense_sum.hpp"

#include <algorithm>

namespace pedlik::oracle {

double sumOfProduct(const std::vector<int>& counts, std::vector<DenseFactor> factors) {
    const int n = static_cast<int>(counts.size());
    std::vector<bool> summed(n);
    std::vector<int> seen(n, 0);
    int stamp = 0;
    for (int step = 0; step < n; ++step) {
        std::vector<std::vector<int>> holding(n);
        for (int f = 0; f < static_cast<int>(factors.size()); ++f) {
            for (int v : factors[f].vars) holding[v].push_back(f);
        }
        // The other variables of the factors that hold x.
        const auto scope = [&](int x) {
            std::vector<int> vars;
            ++stamp;
            for (int f : holding[x]) {
                for (int v : factors[f].vars) {
                    if (v != x && seen[v] != stamp) seen[v] = stamp, vars.push_back(v);
                }
            }
            return vars;
        };
        int x = -1;
        double best = 0.0;
        for (int v = 0; v < n; ++v) {
            if (summed[v]) continue;
            double size = 1.0;
            for (int w : scope(v)) size *= counts[w];
            if (x < 0 || size < best) x = v, best = size;
        }
        summed[x] = true;
        DenseFactor result{scope(x), {}};
        const auto touching =
            std::partition(factors.begin(), factors.end(), [x](const DenseFactor& f) { return std::count(f.vars.begin(), f.vars.end(), x) == 0; });
        std::vector<int> digit(n, 0);
        for (size_t position = 1; position > 0;) {
            double& sum = result.entries.emplace_back(0.0);
            for (digit[x] = 0; digit[x] < counts[x]; ++digit[x]) {
                double term = 1.0;
                for (auto f = touching; f != factors.end(); ++f) {
                    size_t index = 0;
                    for (int v : f->vars) index = index * counts[v] + digit[v];
                    term *= f->entries[index];
                }
                sum += term;
            }
            for (position = result.vars.size(); position > 0 && ++digit[result.vars[position - 1]] == counts[result.vars[position - 1]];) {
                digit[result.vars[--position]] = 0;
            }
        }
        factors.erase(touching, factors.end());
        factors.push_back(std::move(result));
    }
    double total = 1.0;
    for (const DenseFactor& f : factors) total *= f.entries.at(0);
    return total;
}

}  // namespace pedlik::oracle

#pragma once

#include <cstdint>
#include <random>

namespace pedlik::oracle {

// Draws built directly on the engine's output, so that a seed gives the same
// dataset with every standard library (the library's distributions are free
// to differ).
struct RandomSource {
    std::mt19937_64 engine;

    explicit RandomSource(std::uint64_t seed) : engine(seed) {}
    // Uniform in 0 .. n - 1 (n > 0).
    int below(int n) { return static_cast<int>(engine() % static_cast<std::uint64_t>(n)); }
    // Uniform in lo .. hi inclusive.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(engine() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
};

}  // namespace pedlik::oracle

#pragma once

#include <vector>

#include "realistic_families.hpp"

// The cases of both benches, make bench's and make bench-buckettree's.
namespace pedlik::bench {

// name, seed, markers, min and max alleles, pedigrees, persons per pedigree,
// generations, sex-linked, loop. The first cases (2 to 4 markers, no loop)
// are timed against FASTLINK; the rest, 5 to 20 markers or a loop, are
// pedlik's alone: time and memory as markers grow.
inline const std::vector<BenchCase> benchCases = {
    {"p47-m3", 101, 3, 5, 6, 1, 47, 4, false, false},    {"p40-m3", 102, 3, 5, 6, 1, 40, 4, false, false},
    {"p55-m3", 103, 3, 6, 8, 1, 55, 5, false, false},    {"p30-m4", 104, 4, 5, 7, 1, 30, 4, false, false},
    {"p60-m2", 105, 2, 7, 8, 1, 60, 5, false, false},    {"2x25-m3", 106, 3, 5, 8, 2, 25, 3, false, false},
    {"p45-m4-x", 107, 4, 5, 8, 1, 45, 4, true, false},   {"p38-m4-x", 108, 4, 5, 7, 1, 38, 4, true, false},
    {"p52-m3-x", 109, 3, 6, 8, 1, 52, 5, true, false},   {"p35-m2-x", 110, 2, 6, 8, 1, 35, 4, true, false},
    {"p50-m4", 111, 4, 5, 6, 1, 50, 4, false, false},    {"p42-m3", 112, 3, 5, 8, 1, 42, 4, false, false},
    {"p58-m3", 113, 3, 5, 8, 1, 58, 5, false, false},    {"p33-m3-x", 114, 3, 6, 8, 1, 33, 4, true, false},
    {"p47-m5", 101, 5, 6, 8, 1, 47, 4, false, false},    {"p50-m5", 111, 5, 5, 8, 1, 50, 4, false, false},
    {"p40-m4-loop", 201, 4, 5, 8, 1, 40, 4, false, true}, {"p40-m6", 202, 6, 5, 8, 1, 40, 4, false, false},
    {"p40-m8", 203, 8, 5, 8, 1, 40, 4, false, false},    {"p40-m12", 204, 12, 5, 8, 1, 40, 4, false, false},
    {"p40-m20", 205, 20, 5, 8, 1, 40, 4, false, false},  {"p50-m8-loop", 206, 8, 5, 8, 1, 50, 5, false, true},
};

}  // namespace pedlik::bench

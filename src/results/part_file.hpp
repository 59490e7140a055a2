#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace pedlik {

// What one part of a split LOD-score run computed. A run's work units are
// (value of the varied fraction, pedigree, top-level conditioning branch);
// a pedigree that is not conditioned at the top level is one unit.

// Every part computes every value's products and trimming: what they add to
// the log-likelihood, in total and by pedigree, before any elimination.
struct PartValue {
    double theta = 0.0;
    bool built = false;  // false: some pedigree's tables or trimming make the likelihood 0
    double total = 0.0;
    std::vector<double> shares;  // by pedigree, list order
};

// A pedigree's first elimination steps at one value, up to its top-level
// conditioning, as every part that owns a branch of it computed them.
struct PartGroup {
    int value = 0, pedigree = 0;  // indices
    double beforeConditioning = 0.0;
    int branches = 0;  // values of the conditioned variable; 0: not conditioned, one whole unit
    double seconds = 0.0;  // processor time of the first steps, for the user; no result depends on it
};

struct PartUnit {
    int value = 0, pedigree = 0;
    int branch = -1;  // -1: the pedigree's whole elimination
    double logLikelihood = 0.0;
    double seconds = 0.0;  // processor time it took, for the user; no result depends on it
};

struct PartRecord {
    std::string fingerprint;  // of everything that decides the numbers
    int parts = 1, part = 1;
    // Processor time of what every part does before its units (the products
    // at 0.5 and the order search), for the user.
    double setupSeconds = 0.0;
    std::vector<int> pedigreeIds;  // list order
    std::vector<PartValue> values;  // report order, 0.5 first
    std::vector<PartGroup> groups;
    std::vector<PartUnit> units;
};

// The part file: a version line, then one line per record, every number
// that enters a result with 17 significant digits, and an end line with the
// unit count that marks a complete file.
void writePartFile(const PartRecord& record, std::FILE* out);

// The record a part file holds; empty `problem` when it reads whole,
// otherwise why not (not a part file, another version, truncated).
struct PartReading {
    PartRecord record;
    std::string problem;
};
PartReading readPartFile(const std::string& text);

// "theta 0.100000, pedigree 7, branch 3 of 4": how messages name a unit.
std::string unitName(const PartRecord& record, int value, int pedigree, int branch, int branches);

}  // namespace pedlik

#pragma once

#include <string>

#include "input/records.hpp"

namespace pedlik {

struct Product;

// Working counters of the network assembly; reset for every pedigree.
struct AssemblyCounters {
    Product* currentProduct = nullptr;  // receives the functions
    double logConstant = 0.0;           // sum of the logs of the folded one-entry tables
    int eliminatedCount = 0;            // barren nodes released
    int constantCount = 0;              // one-value nodes and phenotype nodes met
};

// The input files' paths as given, for the places input errors name.
struct InputPaths {
    std::string locusFile;
    std::string pedigreeFile;
};

// Every piece of state the whole run shares lives here; nothing else is
// global but the error reporters' exit handler (base/errors.hpp).

extern RunParameters runParameters;      // the problem as read, and the run's logLikelihood
extern AssemblyCounters assembly;        // the network assembly of the current pedigree
extern double bteLogLikelihood;          // ln likelihood of the pedigrees bucket-tree elimination has run on
extern int meiosisCount;                 // meioses of all pedigrees, the denominator of re-estimated fractions
extern int mergeLimit;                   // bucket merges allowed per bucket tree
extern InputPaths inputPaths;            // set by the readers as they open their files

// Puts every piece of the state above back as at the start of the process,
// for a harness that runs the program many times in one process.
void resetProcessState();

}  // namespace pedlik

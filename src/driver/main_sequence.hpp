#pragma once

#include <string>

#include "buckettree/bte_settings.hpp"
#include "driver/em_report.hpp"
#include "driver/read_problem.hpp"
#include "ordering/elimination_order.hpp"
#include "product/elimination_settings.hpp"
#include "results/result_request.hpp"

namespace pedlik {

// What the command line's options ask of a run.
struct RunOptions {
    bool reportEstimates = false;  // the bucket-tree mode reports its iterations
    FileForms fileForms;           // pre-makeped pedigree lines, LINKAGE reading of the locus order
    OrderLimits limits;            // the elimination orders' memory and search
    EliminationSettings elimination;  // LOD-score mode: its threads, and thresholds only the fuzzer lowers
    BteSettings bucketTree;           // bucket-tree mode: thresholds only the fuzzer lowers
    ResultRequest results;         // LOD-score mode: summary, table and plot after the report
    MlSettings ml;                 // bucket-tree mode: maximum-likelihood estimates after the report
    int parts = 0, part = 0;       // LOD-score mode: compute share `part` of `parts` (0: the whole run)
    std::string partPath;          // and write it here
};

// One whole run: read both files, eliminate genotypes, build the network,
// run the mode the program code selects, print the timings, report the
// requested results, release. Returns the exit status: 1 when results are
// requested of another mode than the LOD-score mode, maximum-likelihood
// estimates of another than the bucket-tree mode, or a results file could
// not be made. A part run writes its part file instead of the report.
int runMainSequence(const char* locusPath, const char* pedigreePath, const RunOptions& options = {});

}  // namespace pedlik

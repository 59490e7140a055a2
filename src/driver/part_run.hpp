#pragma once

#include "input/records.hpp"
#include "ordering/elimination_order.hpp"
#include "product/elimination_settings.hpp"
#include "results/part_file.hpp"

namespace pedlik {

// Part `part` (1 to `parts`) of the LOD-score mode's work: every part builds
// and trims every value's products and makes the same elimination orders
// (the order search is seeded and its budget counted in work, not time),
// then computes the work units that the dealing gives it, and the first
// elimination steps of each pedigree it owns a branch of. Progress goes to
// standard output; the report is left to the merge.
PartRecord runPart(PedigreeList& pedigrees, int parts, int part, OrderLimits limits = {},
                   const EliminationSettings& settings = EliminationSettings{});

}  // namespace pedlik

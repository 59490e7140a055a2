#pragma once

#include "input/records.hpp"
#include "ordering/elimination_order.hpp"
#include "product/elimination_settings.hpp"
#include "results/lod_curve.hpp"

namespace pedlik {

// Program code 5: the log-likelihood of all pedigrees at recombination
// fraction 0.5 for the varied pair, then for its values from the file's
// upward by the increment while below the stop value, each with its LOD
// score against the first. The run uses the default thresholds; tests lower
// them to reach both ordering schemes and conditioning on small problems.
// With `measurePedigrees`, returns each pedigree's log-likelihood at every
// value (computing them one by one where some pedigree's likelihood is 0);
// otherwise nothing.
LodCurve runLodScoreMode(PedigreeList& pedigrees, OrderLimits limits = {},
                         const EliminationSettings& settings = EliminationSettings{}, bool measurePedigrees = false);

}  // namespace pedlik

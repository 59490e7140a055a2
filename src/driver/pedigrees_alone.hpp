#pragma once

#include <vector>

#include "input/records.hpp"
#include "product/elimination_settings.hpp"
#include "product/order_record.hpp"

namespace pedlik {

// Every pedigree's natural log-likelihood at the current fractions, each
// computed on its own (impossibleLogLikelihood for a likelihood of 0), with
// nothing printed: for a value of the fraction where the run stopped at the
// first pedigree of likelihood 0, when the results options need the others.
std::vector<double> logLikelihoodsAlone(PedigreeList& pedigrees, const std::vector<EliminationOrder>& orders,
                                        const EliminationSettings& settings);

}  // namespace pedlik

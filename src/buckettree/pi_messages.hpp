#pragma once

#include <functional>

#include "buckettree/bte_settings.hpp"
#include "buckettree/bucket_tree.hpp"

namespace pedlik {

// Sends every child of the bucket that `needsPi` accepts its pi message:
// the product of everything the bucket holds except that child's own
// lambda message, with every variable the child does not know summed out.
// Buckets without functions send nothing.
void GetPi(Bucket& bucket, const std::function<bool(const Bucket&)>& needsPi, const BteSettings& settings = {});

}  // namespace pedlik

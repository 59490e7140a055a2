#pragma once

#include <string>
#include <vector>

namespace pedlik {

// How the locus data file's order line maps its locus descriptions onto the
// map. By default the k-th description is the locus at map position
// order[k]; LINKAGE programs read the line the other way round, as the map
// position k holding the order[k]-th description. The two readings agree
// only for an order that is its own inverse, such as 1 2 3 or 2 1 3.
enum class LocusOrderReading { DescriptionToMap, MapToDescription };

bool isOwnInverse(const std::vector<int>& order);

// The order that reads, in the default way, as `order` reads the other.
std::vector<int> inverseOrder(const std::vector<int>& order);

// "2 3 1"
std::string orderText(const std::vector<int>& order);

}  // namespace pedlik

#pragma once

#include <ostream>

namespace pedlik::testing {

// Parameterised cases with a `name` print as that name in test listings,
// instead of as a dump of their bytes.
template <typename Case>
    requires requires(const Case& c) { *static_cast<std::ostream*>(nullptr) << c.name; }
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

}  // namespace pedlik::testing

#pragma once

#include "input/records.hpp"
#include "network/node.hpp"

namespace pedlik {

// A fresh node with its value and parent counts; its parent slots exist but
// stay empty until the network assembly wires them, and the caller names it.
OwnedNode newNode(int valueCount, int parentCount);

}  // namespace pedlik

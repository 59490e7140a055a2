#pragma once

#include "input/records.hpp"

namespace pedlik {

// Every piece of state the whole run shares lives here; nothing else is global.

// How a reported fatal error ends the run: std::exit, unless a test harness
// installs a handler that unwinds back to it instead.
using FatalExitHandler = void (*)(int status);

extern RunParameters runParameters;      // the problem as read, and the run's logLikelihood
extern FatalExitHandler fatalExitHandler;  // called with the exit status of a fatal error

}  // namespace pedlik

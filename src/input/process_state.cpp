#include "input/process_state.hpp"

#include <cstdlib>

namespace pedlik {

RunParameters runParameters;
FatalExitHandler fatalExitHandler = &std::exit;
AssemblyCounters assembly;
double bteLogLikelihood = 0.0;
int meiosisCount = 0;
int mergeLimit = 0;

}  // namespace pedlik

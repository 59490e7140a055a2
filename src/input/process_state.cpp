#include "input/process_state.hpp"

namespace pedlik {

RunParameters runParameters;
AssemblyCounters assembly;
double bteLogLikelihood = 0.0;
int meiosisCount = 0;
int mergeLimit = 0;
InputPaths inputPaths;

}  // namespace pedlik

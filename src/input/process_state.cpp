#include "input/process_state.hpp"

namespace pedlik {

RunParameters runParameters;
AssemblyCounters assembly;
double bteLogLikelihood = 0.0;
int meiosisCount = 0;
int mergeLimit = 0;
InputPaths inputPaths;

void resetProcessState() {
    runParameters = RunParameters{};
    assembly = AssemblyCounters{};
    bteLogLikelihood = 0.0;
    meiosisCount = 0;
    mergeLimit = 0;
}

}  // namespace pedlik

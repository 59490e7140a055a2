#include "input/process_state.hpp"

#include <cstdlib>

namespace pedlik {

RunParameters runParameters;
FatalExitHandler fatalExitHandler = &std::exit;
AssemblyCounters assembly;

}  // namespace pedlik

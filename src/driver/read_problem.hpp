#pragma once

#include "input/person_reader.hpp"

namespace pedlik {

// Opens, reads and closes both input files into the run parameters and
// returns the program code.
int readProblem(const char* locusPath, const char* pedigreePath,
                PedigreeFormat format = PedigreeFormat::PostMakeped);

}  // namespace pedlik

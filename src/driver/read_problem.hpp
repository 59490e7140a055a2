#pragma once

#include "input/locus_order.hpp"
#include "input/person_reader.hpp"

namespace pedlik {

// How the files are laid out where users' files differ.
struct FileForms {
    PedigreeFormat pedigree = PedigreeFormat::PostMakeped;
    LocusOrderReading locusOrder = LocusOrderReading::DescriptionToMap;
};

// Opens, reads and closes both input files into the run parameters and
// returns the program code.
int readProblem(const char* locusPath, const char* pedigreePath, FileForms forms = {});

}  // namespace pedlik

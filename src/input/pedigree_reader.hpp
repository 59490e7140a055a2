#pragma once

#include <cstdio>

#include "input/person_reader.hpp"

namespace pedlik {

// Reads the pedigree file into the pedigree list: a pass that counts the
// pedigrees and their persons, a reopen, then a pass that reads every person
// and checks the links of every pedigree.
void readPedigreeFile(std::FILE*& file, const char* path, PedigreeFormat format = PedigreeFormat::PostMakeped);

}  // namespace pedlik

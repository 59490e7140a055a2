#pragma once

#include <string>

namespace pedlik::testing {

// Resets the run parameters and reads a locus data file given as text;
// returns the program code.
int readLocusText(const std::string& locusText);

// Resets the run parameters and reads both files given as text.
void readProblemText(const std::string& locusText, const std::string& pedigreeText);

}  // namespace pedlik::testing

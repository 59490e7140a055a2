#pragma once

#include <optional>
#include <string>
#include <utility>

#include "input/records.hpp"

namespace pedlik {

// Where an input problem stands: a file as given, a line and what the line
// describes, by the numbers a user finds in the files (loci by the place of
// their description in the locus data file, pedigrees and persons by the
// numbers written for them).
struct InputPlace {
    InputPlace(std::string path_, int line_, int locus_ = 0, std::optional<int> pedigreeId_ = std::nullopt,
               std::optional<int> personId_ = std::nullopt)
        : path(std::move(path_)), line(line_), locus(locus_), pedigreeId(pedigreeId_), personId(personId_) {}
    std::string path;
    int line;
    int locus;  // 1-based place of the locus description; 0: no locus
    std::optional<int> pedigreeId;
    std::optional<int> personId;
};

// "In p.dat, line 3: pedigree 1, person 3, locus 2."
std::string describePlace(const InputPlace& place);

[[noreturn]] void inputErrorAt(const InputPlace& place, const std::string& message);
void inputWarningAt(const InputPlace& place, const std::string& message);

// The 1-based place in the locus data file of the description of internal
// locus `r`.
int locusPlace(int r);

// A person's line of the pedigree file, at internal locus `r` (none: -1).
InputPlace personPlace(const Pedigree& pedigree, const Person& person, int r = -1);

}  // namespace pedlik

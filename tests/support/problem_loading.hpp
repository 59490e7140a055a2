#pragma once

#include <functional>
#include <string>
#include <vector>

#include "input/records.hpp"

namespace pedlik::testing {

// Reads files of these contents into the cleared run parameters, as a run does; progress lines are swallowed.
void loadProblem(const std::string& locusText, const std::string& pedigreeText);

// A locus data file (program code 6) of numbered-allele loci with these allele counts, equal frequencies.
std::string markerLocusFile(const std::vector<int>& alleleCounts, bool sexLinked = false);

struct StoppedRun {
    bool stopped = false;
    int status = 0;
    std::string err;  // all the step wrote on standard error
};

// Runs `step` with fatal errors turned into a return to the caller.
StoppedRun runUntilStopped(const std::function<void()>& step);

// The first pedigree read, and its person on line `line` (1-based).
Pedigree& firstPedigree();
Person& personOnLine(int line, Pedigree& pedigree = firstPedigree());

// The alleles of a candidate list in list order, "1 2 3"; "" when empty.
std::string alleles(const CandidateList& list);

}  // namespace pedlik::testing

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "support/problem_loading.hpp"
#include "support/random_families.hpp"

namespace pedlik::testing {
namespace {

// The pedigrees of a pedigree file as one pedigree numbered 1: the persons
// and links of each later pedigree are moved past the lines before it.
std::string joinedIntoOnePedigree(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::string joined;
    std::string currentId;
    int offset = 0;
    int blockSize = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string pedigreeId;
        int numbers[6];
        fields >> pedigreeId;
        for (int& number : numbers) fields >> number;
        if (pedigreeId != currentId) {
            offset += blockSize;
            blockSize = 0;
            currentId = pedigreeId;
        }
        ++blockSize;
        joined += "1";
        for (int number : numbers) joined += " " + std::to_string(number == 0 ? 0 : number + offset);
        std::string rest;
        std::getline(fields, rest);
        joined += rest + "\n";
    }
    return joined;
}

// Every person's lists and selectors at every locus, pedigree after pedigree.
std::vector<std::string> eliminationResult(bool sexLinked) {
    if (sexLinked) {
        eliminateGenotypesSexLinked(runParameters.pedigrees);
    } else {
        eliminateGenotypes(runParameters.pedigrees);
    }
    std::vector<std::string> result;
    for (Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        for (const Person& person : pedigree->persons) {
            for (const PersonLocus& data : person.loci) {
                std::string text = "entered " + std::to_string(person.entered) + ":";
                for (int allele : allelesOf(data.paternalCandidates)) text += " " + std::to_string(allele);
                text += " |";
                for (int allele : allelesOf(data.maternalCandidates)) text += " " + std::to_string(allele);
                text += " | " + std::to_string(data.paternalSelectorState) + " " +
                        std::to_string(data.paternalSelectorValue) + " " + std::to_string(data.maternalSelectorState) +
                        " " + std::to_string(data.maternalSelectorValue);
                result.push_back(text);
            }
        }
    }
    return result;
}

class UnconnectedFamilies : public ::testing::TestWithParam<bool> {};

TEST_P(UnconnectedFamilies, AreEliminatedAsIfEachWereAPedigreeOfItsOwn) {
    const bool sexLinked = GetParam();
    const std::vector<int> alleleCounts{2, 3, 4};
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        const int familyCount = 2 + static_cast<int>(seed % 2);
        std::string separate;
        for (int f = 1; f <= familyCount; ++f) {
            const Family family = randomConnectedFamily(rng, 3 + static_cast<int>(rng() % 8), alleleCounts, sexLinked,
                                                        0.5);
            separate += pedigreeLines(rng, {family}, f);
        }
        loadProblem(markerLocusFile(alleleCounts, sexLinked), separate);
        const std::vector<std::string> expected = eliminationResult(sexLinked);
        loadProblem(markerLocusFile(alleleCounts, sexLinked), joinedIntoOnePedigree(separate));
        ASSERT_EQ(runParameters.pedigrees.count, 1);
        ASSERT_EQ(eliminationResult(sexLinked), expected) << "seed " << seed << "\n" << separate;
    }
}

INSTANTIATE_TEST_SUITE_P(AutosomalAndSexLinked, UnconnectedFamilies, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "SexLinked" : "Autosomal"; });

}  // namespace
}  // namespace pedlik::testing

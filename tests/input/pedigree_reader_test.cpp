#include <gtest/gtest.h>

#include "input/process_state.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

const RunParameters& run = runParameters;

// Internal locus 0: a five-allele marker; internal 1: an affection locus
// with three liability classes (the file lists the affection locus first).
std::string locusFile(int sexLinked) {
    return "2 0 " + std::to_string(sexLinked) +
           " 6\n0 0.0 0.0 0\n2 1\n1 2\n0.9 0.1\n3\n0 0 1\n" + (sexLinked ? "0 1\n" : "") + "0 0.5 1\n" +
           (sexLinked ? "0 1\n" : "") + "0.5 0.5 1\n" + (sexLinked ? "0 1\n" : "") +
           "3 5\n0.2 0.2 0.2 0.2 0.2\n0 0\n0.1\n";
}

std::vector<int> alleles(const CandidateList& list) {
    std::vector<int> result;
    for (const halfLocusPerson& c : list) result.push_back(c.allele);
    return result;
}

std::vector<int> marks(const CandidateList& list) {
    std::vector<int> result;
    for (const halfLocusPerson& c : list) result.push_back(c.mark);
    return result;
}

TEST(PedigreeReader, ConsecutiveLinesWithOneNumberFormAPedigree) {
    loadProblem(locusFile(0),
                    "1 1 0 0 0 0 0 1 0  0 3  1 1\n"
                    "1 2 0 0 0 0 0 2 0  0 3  1 1\n"
                    "2 1 0 0 0 0 0 2 0  0 3  1 1\n"
                    "1 1 0 0 0 0 0 2 0  0 3  1 1\n\n\n   \n");
    ASSERT_EQ(run.pedigrees.count, 3);
    std::vector<std::pair<int, int>> found;
    for (const Pedigree* p = run.pedigrees.head; p != nullptr; p = p->next) found.push_back({p->pedigreeId, p->personCount});
    EXPECT_EQ(found, (std::vector<std::pair<int, int>>{{1, 2}, {2, 1}, {1, 1}}));
}

TEST(PedigreeReader, PhenotypesGoToTheirInternalLoci) {
    loadProblem(locusFile(0),
                    "1 1 0 0 3 0 0 1 0  2 3  4 2\n"
                    "1 2 0 0 3 0 0 2 0  0 2  3 3\n"
                    "1 3 1 2 0 0 0 1 0  1 1  0 0\n");
    const Pedigree& pedigree = *run.pedigrees.head;
    const Person& father = pedigree.persons[0];
    EXPECT_EQ(father.loci[1].affectionStatus, 2);
    EXPECT_EQ(father.loci[1].liabilityClass, 3);
    EXPECT_EQ(father.loci[1].isUnknown, 0);
    EXPECT_EQ(alleles(father.loci[0].paternalCandidates), (std::vector<int>{2, 4}));
    EXPECT_EQ(alleles(father.loci[0].maternalCandidates), (std::vector<int>{2, 4}));
    EXPECT_EQ(marks(father.loci[0].paternalCandidates), (std::vector<int>{0, 0}));
    const Person& mother = pedigree.persons[1];
    EXPECT_EQ(mother.loci[1].isUnknown, 1);
    EXPECT_EQ(mother.loci[1].liabilityClass, 2) << "the class is read even for status 0";
    EXPECT_EQ(alleles(mother.loci[0].maternalCandidates), (std::vector<int>{3}));
    EXPECT_EQ(marks(mother.loci[0].maternalCandidates), (std::vector<int>{1}));
    const Person& child = pedigree.persons[2];
    EXPECT_EQ(child.loci[0].isUnknown, 1);
    EXPECT_TRUE(child.loci[0].paternalCandidates.empty());
    EXPECT_EQ(child.father, &father);
    EXPECT_EQ(child.mother, &mother);
    EXPECT_EQ(father.firstChild, &child);
    EXPECT_EQ(pedigree.firstFounder, &father);
    EXPECT_EQ(pedigree.firstLeaf, &child);
    EXPECT_EQ(father.isFemale, 0);
    EXPECT_EQ(mother.isFemale, 1);
    for (const Person& p : pedigree.persons) {
        EXPECT_EQ(p.loci[0].paternalSelectorState, selectorNotFixed);
        EXPECT_EQ(p.paternalSelectorNodes.size(), 2u);
        EXPECT_EQ(p.phenotypeNodes.size(), 2u);
    }
}

TEST(PedigreeReader, SexLinkedMalesCarryOneMaternalAllele) {
    loadProblem(locusFile(1),
                    "1 1 0 0 0 0 0 1 0  0 1  5 0\n"
                    "1 2 0 0 0 0 0 1 0  0 1  5 5\n"
                    "1 3 0 0 0 0 0 1 0  0 1  0 0\n"
                    "1 4 0 0 0 0 0 2 0  0 1  5 1\n");
    const Pedigree& pedigree = *run.pedigrees.head;
    for (int j = 0; j < 2; ++j) {
        const PersonLocus& marker = pedigree.persons[j].loci[0];
        EXPECT_EQ(alleles(marker.maternalCandidates), (std::vector<int>{5}));
        EXPECT_EQ(marks(marker.maternalCandidates), (std::vector<int>{1}));
        EXPECT_TRUE(marker.paternalCandidates.empty());
        EXPECT_EQ(marker.isUnknown, 0);
    }
    EXPECT_EQ(pedigree.persons[2].loci[0].isUnknown, 1);
    EXPECT_TRUE(pedigree.persons[0].paternalAlleleNodes.empty());
    EXPECT_TRUE(pedigree.persons[0].paternalSelectorNodes.empty());
    EXPECT_EQ(pedigree.persons[0].maternalAlleleNodes.size(), 2u);
    const Person& female = pedigree.persons[3];
    EXPECT_EQ(alleles(female.loci[0].paternalCandidates), (std::vector<int>{1, 5}));
    EXPECT_EQ(female.paternalAlleleNodes.size(), 2u);
    EXPECT_TRUE(female.paternalSelectorNodes.empty());
}

}  // namespace
}  // namespace pedlik::testing

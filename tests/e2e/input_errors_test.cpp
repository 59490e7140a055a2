// Every input error of both readers and of genotype elimination: the whole report on standard error, nothing after
// it, and exit status 1.
#include <gtest/gtest.h>

#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

// Two loci: an affection locus with two liability classes (internal 0) and a four-allele marker (internal 1).
const std::string goodLocusFile =
    "2 0 0 5 << loci, risk, sexlinked, program\n0 0.0 0.0 0\n1 2\n1 2 << affection\n0.99 0.01\n2 << classes\n"
    "0.0 0.5 1.0 first class\n0.1 0.5 0.9 second class\n3 4 << marker\n0.25 0.25 0.25 0.25\n0 0\n0.1\n1 0.1 0.5\n";

// Trio: father 1, mother 2, child 3; phenotypes: status, class, two alleles.
const std::string goodPedigreeFile =
    "1 1 0 0 3 0 0 1 0  1 1  1 2\n1 2 0 0 3 0 0 2 0  2 2  3 4\n1 3 1 2 0 0 0 1 0  1 1  1 3\n";

std::string replaceOnce(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no '" + from + "' in test text");
    return text.replace(at, from.size(), to);
}

std::string locusWith(const std::string& from, const std::string& to) { return replaceOnce(goodLocusFile, from, to); }
std::string pedigreeWith(const std::string& from, const std::string& to) {
    return replaceOnce(goodPedigreeFile, from, to);
}

struct InputErrorCase {
    const char* name;
    std::string locusFile;
    std::string pedigreeFile;
    std::string message;
};

class InputErrorTest : public ::testing::TestWithParam<InputErrorCase> {};

TEST_P(InputErrorTest, ReportsTheErrorAndExitsWithStatusOne) {
    const InputErrorCase& c = GetParam();
    const RunResult run = runWithFiles({{"d.dat", c.locusFile}, {"p.dat", c.pedigreeFile}}, {"d.dat", "p.dat"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nAn input error has been found:\n" + c.message + "\n");
    EXPECT_EQ(run.out.find("The time needed"), std::string::npos);
}

std::vector<InputErrorCase> locusFileCases() {
    const std::string& x = goodPedigreeFile;
    return {
        {"LocusType", locusWith("3 4 << marker", "2 4 << marker"), x, "Invalid locus type in locus no. 2.\n"},
        {"ZeroGeneFrequency", locusWith("0.25 0.25 0.25 0.25", "0.25 0.25 0.0 0.25"), x,
         "Invalid gene frequency for locus no. 1 \n"},
        {"TextForANumber", locusWith("0.99 0.01", "0.99 abc"), x,
         "Expected a gene frequency of locus no. 0 in the locus data file, but found \"abc\".\n"},
        {"EndOfFileForANumber", "2 0 0 5\n0 0.0 0.0 0\n1 2\n1 2\n0.99", x,
         "Expected a gene frequency of locus no. 0 in the locus data file, but found the end of the file.\n"},
        {"MissingModeLine", locusWith("1 0.1 0.5\n", ""), x,
         "Expected the index of the varied recombination fraction in the locus data file, but found the end of "
         "the file.\n"},
        {"NoLoci", locusWith("2 0 0 5", "0 0 0 5"), x, "Invalid number of loci: 0 (at least 1 is needed).\n"},
        {"OrderEntryOutOfRange", locusWith("1 2\n1 2", "1 3\n1 2"), x,
         "Invalid locus order: entry 2 is 3, but the loci are numbered 1 to 2.\n"},
        {"OrderEntryRepeated", locusWith("1 2\n1 2", "2 2\n1 2"), x,
         "Invalid locus order: locus 2 appears more than once.\n"},
        {"NoAlleles", locusWith("3 4 << marker", "3 0 << marker"), x,
         "Invalid number of alleles for locus no. 1: 0.\n"},
        {"NoLiabilityClasses", locusWith("2 << classes", "0 << classes"), x,
         "Invalid number of liability classes for locus no. 0: 0.\n"},
        {"VariedIndexBeyondTheFractions", locusWith("1 0.1 0.5", "2 0.1 0.5"), x,
         "Invalid index of the varied recombination fraction: 2 (the file has 1 recombination fractions).\n"},
        {"VariedIndexZero", locusWith("1 0.1 0.5", "0 0.1 0.5"), x,
         "Invalid index of the varied recombination fraction: 0 (the file has 1 recombination fractions).\n"},
        {"OneLocusInLodScoreMode", "1 0 0 5\n0 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n1 0.1 0.5\n",
         "1 1 0 0 0 0 0 1 0  1 2\n",
         "Invalid index of the varied recombination fraction: 1 (the file has 0 recombination fractions).\n"},
        {"OneLocusInBucketTreeMode", "1 0 0 4\n0 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n1 0.1 0.5\n",
         "1 1 0 0 0 0 0 1 0  1 2\n",
         "Invalid index of the varied recombination fraction: 1 (the file has 0 recombination fractions).\n"},
        {"IncrementThatNeverReachesTheStop", locusWith("1 0.1 0.5", "1 0.0 0.5"), x,
         "Invalid increment of the varied recombination fraction: 0.000000 (it must be positive when the start "
         "value 0.100000 is below the stop value 0.500000).\n"},
        {"NegativeIncrement", locusWith("1 0.1 0.5", "1 -0.1 0.5"), x,
         "Invalid increment of the varied recombination fraction: -0.100000 (it must be positive when the start "
         "value 0.100000 is below the stop value 0.500000).\n"},
        {"OneTwoLocusTraitLocus",
         replaceOnce(locusWith("3 4 << marker\n0.25 0.25 0.25 0.25", "4 2\n0.5 0.5"), "2 0 0 5", "2 0 0 5 2"), x,
         "A two-locus trait needs two loci of type 4, but the file has only one (locus no. 1).\n"},
        {"ThreeTwoLocusTraitLoci",
         "3 0 0 6 2\n0 0.0 0.0 0\n1 2 3\n4 2\n0.5 0.5\n4 2\n0.5 0.5\n1\n0 0 0\n0 0 0\n0 0 1\n4 2\n0.5 0.5\n0 0\n"
         "0.1 0.1\n", goodPedigreeFile, "Too many two-locus trait loci: locus no. 2 is the third.\n"},
        {"TraitLociInReverseMapOrder",
         "2 0 0 6 2\n0 0.0 0.0 0\n2 1\n4 2\n0.5 0.5\n4 2\n0.5 0.5\n1\n0 0 0\n0 0 0\n0 0 1\n0 0\n0.1\n",
         "1 1 0 0 0 0 0 1 0  1\n",
         "The first two-locus trait locus (locus no. 1) must precede the second (locus no. 0) in the locus "
         "order.\n"},
        {"TraitTableAtTheFirstTraitLocus", "2 0 0 6 1\n0 0.0 0.0 0\n1 2\n4 2\n0.5 0.5\n1\n0 0 0\n0 0 0\n0 0 1\n4 2\n"
         "0.5 0.5\n0 0\n0.1\n", x,
         "The trait table ordinal is 1, but the penetrance table of a two-locus trait must be given at its second "
         "locus (ordinal 2).\n"},
    };
}

std::vector<InputErrorCase> pedigreeFileCases() {
    const std::string x = goodLocusFile;
    return {
        {"FatherOutOfRange", x, pedigreeWith("1 3 1 2", "1 3 4 2"),
         "The father of person no. 3, pedigree no. 0, doesn't exist. \n"},
        {"MotherOutOfRange", x, pedigreeWith("1 3 1 2", "1 3 1 9"),
         "The mother of person no. 3, pedigree no. 0, doesn't exist. \n"},
        {"FirstChildOutOfRange", x, pedigreeWith("1 1 0 0 3", "1 1 0 0 4"),
         "The first child of person no. 1, pedigree no. 0, doesn't exist. \n"},
        {"NextPaternalSiblingOutOfRange", x, pedigreeWith("1 3 1 2 0 0 0", "1 3 1 2 0 5 0"),
         "The next paternal sibling of person no. 3, pedigree no. 0, doesn't exist. \n"},
        {"NextMaternalSiblingOutOfRange", x, pedigreeWith("1 3 1 2 0 0 0", "1 3 1 2 0 0 5"),
         "The next maternal sibling of person no. 3, pedigree no. 0, doesn't exist. \n"},
        {"AffectionStatus", x, pedigreeWith("1 2 0 0 3 0 0 2 0  2 2", "1 2 0 0 3 0 0 2 0  3 2"),
         "Inappropriate value for affection status in locus no. 0 of person no. 1, pedigree no. 0\n"},
        {"LiabilityClass", x, pedigreeWith("1 2 0 0 3 0 0 2 0  2 2", "1 2 0 0 3 0 0 2 0  0 3"),
         "Inappropriate value for the liability class in locus no. 0 of person no. 1, pedigree no. 0\n"},
        {"LiabilityClassZero", x, pedigreeWith("1 2 0 0 3 0 0 2 0  2 2", "1 2 0 0 3 0 0 2 0  2 0"),
         "Inappropriate value for the liability class in locus no. 0 of person no. 1, pedigree no. 0\n"},
        {"Allele1", x, pedigreeWith("1 1  1 3", "1 1  5 3"),
         "There's an error in allele 1, locus no. 1 of person no. 2, pedigree no. 0.\n"},
        {"Allele2", x, pedigreeWith("1 1  1 3", "1 1  1 -1"),
         "There's an error in allele 2, locus no. 1 of person no. 2, pedigree no. 0.\n"},
        {"OneAlleleUnknown", x, pedigreeWith("1 1  1 3", "1 1  0 3"),
         "There's an error in locus no. 1 of person no. 2, pedigree no. 0. (1 allele is known and the other "
         "unknown)\n"},
        {"FatherChildRelation", x, pedigreeWith("1 1 0 0 3", "1 1 0 0 0"),
         "There is no correpondence between the father-child relation of person 3 & person 1"},
        {"MotherChildRelation", x, pedigreeWith("1 2 0 0 3", "1 2 0 0 0"),
         "There is no correpondence between the mother-child relation of person 3 & person 2"},
        {"TextInAPersonLine", x, pedigreeWith("1 3 1 2 0 0 0 1 0", "1 3 1 2 0 0 0 M 0"),
         "Expected the sex of person no. 2, pedigree no. 0, but found \"M\".\n"},
        {"TruncatedPersonLine", x, pedigreeWith("1 1  1 3\n", "1 1  1\n"),
         "Expected allele 2 at locus no. 1 of person no. 2, pedigree no. 0, but found the end of the file.\n"},
        {"TextForThePedigreeNumber", x, goodPedigreeFile + "x 4 0 0 0 0 0 1 0 1 1 1 2\n",
         "Expected the pedigree number at the start of person line 4 of the pedigree file, but found \"x\".\n"},
        {"NegativeLink", x, pedigreeWith("1 3 1 2 0 0 0", "1 3 1 2 0 -2 0"),
         "The next paternal sibling of person no. 3, pedigree no. 0, is given as -2; links must not be negative. \n"},
        {"FatherWithoutMother", x, pedigreeWith("1 3 1 2", "1 3 1 0"),
         "Person 3 of pedigree no. 0 has a father but no mother.\n"},
        {"MotherWithoutFather", x, pedigreeWith("1 3 1 2", "1 3 0 2"),
         "Person 3 of pedigree no. 0 has a mother but no father.\n"},
        {"FemaleFather", x, pedigreeWith("1 1 0 0 3 0 0 1", "1 1 0 0 3 0 0 2"),
         "The father of person 3, pedigree no. 0, is person 1, who is not male.\n"},
        {"ChildChainThatNeverEnds", x, pedigreeWith("1 3 1 2 0 0 0", "1 3 1 2 0 3 0"),
         "The chain of children of person 1, pedigree no. 0, never ends.\n"},
        {"ChildChainHoldingAStranger", x, pedigreeWith("1 3 1 2 0 0 0", "1 3 1 2 0 2 0"),
         "Person 2 is in the chain of children of person 1, pedigree no. 0, but is not a child of that person.\n"},
        {"OwnAncestor", x, "1 1 0 0 3 0 0 1 0  1 1  1 2\n" "1 2 3 4 3 0 0 2 0  2 2  3 4\n"
         "1 3 1 2 2 0 0 1 0  1 1  1 3\n" "1 4 0 0 2 0 0 2 0  1 1  1 3\n",
         "Person 2 of pedigree no. 0 is his or her own ancestor.\n"},
        {"SexLinkedMaleWithTwoDifferentAlleles", "1 0 1 6\n0 0.0 0.0 0\n1\n3 5\n0.2 0.2 0.2 0.2 0.2\n0 0\n\n",
         "1 1 0 0 0 0 0 1 0  0 5\n",
         "There's an error in locus no. 0 of person no. 0, pedigree no. 0. (males have a single allele)\n"},
        {"LargePersonNumbersInAMessage", x, "7 2147483647 0 0 3 0 0 1 0  1 1  1 2\n"
         "7 -2147483647 0 0 3 0 0 2 0  2 2  3 4\n" "7 2147483646 1 2 0 0 0 1 0  1 1  1 3\n"
         "8 1 0 0 0 0 0 1 0  1 1  1 3\n" "8 2 0 0 0 0 0 2 0  1 1  1 3\n" "8 1000000000 1 2 0 0 0 1 0  1 1  1 3\n",
         "There is no correpondence between the father-child relation of person 1000000000 & person 1"},
    };
}

// Stops of genotype elimination: a child whose genotype neither parent pair allows.
std::vector<InputErrorCase> eliminationCases() {
    return {
        // The first marker described is internal locus 1; the child is person 17 of the second pedigree.
        {"AutosomalMarkerOfTheSecondPedigree",
         "2 0 0 6\n0 0.0 0.0 0\n2 1\n3 3\n0.3 0.3 0.4\n3 4\n0.25 0.25 0.25 0.25\n0 0\n0.1\n",
         "1 1 0 0 3 0 0 1 0  1 2  1 2\n1 2 0 0 3 0 0 2 0  1 2  1 2\n1 3 1 2 0 0 0 1 0  1 2  1 2\n"
         "2 1 0 0 3 0 0 1 0  1 2  4 4\n2 2 0 0 3 0 0 2 0  1 2  1 2\n2 17 1 2 0 0 0 2 0  1 2  1 2\n",
         "Invalid value in locus no. 0 of person no. 17, pedigree no. 1.\n"},
        {"SexLinkedDaughter", "1 0 1 6\n0 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n",
         "5 1 0 0 3 0 0 1 0  3 0\n5 2 0 0 3 0 0 2 0  0 0\n5 3 1 2 0 0 0 2 0  1 2\n",
         "Invalid value in locus no. 0 of person no. 3, pedigree no. 0.\n"},
        // The father passes three different alleles: only once the upward pass has narrowed him to two does the
        // second downward pass find the third.
        {"FoundOnlyAfterTheUpwardPass", "1 0 0 6\n0 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n",
         "1 1 0 0 3 0 0 1 0  0 0\n1 2 0 0 3 0 0 2 0  1 1\n1 3 1 2 0 4 4 1 0  1 1\n1 4 1 2 0 5 5 1 0  1 2\n"
         "1 15 1 2 0 0 0 1 0  1 3\n", "Invalid value in locus no. 0 of person no. 15, pedigree no. 0.\n"},
    };
}

INSTANTIATE_TEST_SUITE_P(LocusDataFile, InputErrorTest, ::testing::ValuesIn(locusFileCases()),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(PedigreeFile, InputErrorTest, ::testing::ValuesIn(pedigreeFileCases()),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(GenotypeElimination, InputErrorTest, ::testing::ValuesIn(eliminationCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing

// Runs of the binary: files, options, the bundled examples' committed reports, and every input error of both readers
// and of genotype elimination (its whole report on standard error, nothing after it, exit status 1).
#include <gtest/gtest.h>

#include "support/report_reading.hpp"

namespace pedlik::testing {
namespace {

const std::string noComputation =
    "2 0 0 6 << no computation\n0 0.0 0.0 0\n1 2\n1 2 << affection\n0.99 0.01\n1\n0.0 0.0 1.0\n3 2\n0.5 0.5\n0 0\n"
    "0.1\n";

RunResult runOnFiles(const std::vector<std::string>& args, const std::string& input = "") {
    return runWithFiles({{"datafile3.dat", noComputation},
                         {"pedfile3.dat", "1 1 0 0 3 0 0 1 0  1  1 2\n1 2 0 0 3 0 0 2 0  1  1 1\n"
                                          "1 3 1 2 0 0 0 1 0  2  1 2\n"},
                         {"--odd.dat", noComputation},
                         {"empty.dat", ""},
                         // The second line starts with a number that must not be taken as the trait table ordinal.
                         {"1.dat", "1 0 0 6\n7 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n"},
                         {"1p.dat", "1 1 0 0 0 0 0 1 0  1 2\n"},
                         {"d.dat", readFile(examplePath("datafile_em.dat"))},
                         {"p.dat", readFile(examplePath("pedfile_em.dat"))}},
                        args, input);
}

const std::string prompt = "ERROR: File empty or nonexistent. Press <Enter> to continue or <Ctrl-C> to abort\n";

// A run that reads both files and computes nothing, its timings masked.
std::string reading(const std::string& pedigree, const std::string& locus, const std::string& afterOpening = "") {
    return "Opening " + pedigree + "\nOpening " + locus + "\n" + afterOpening + "\nAUTOSOMAL DATA\nReopening " +
           pedigree + "\nClosing " + pedigree + "\nClosing " + locus +
           "\n\nThe time needed for value-elimination is <time> sec.\n"
           "The time needed for calculating the likelihood of the pedigree is <time> sec.\n";
}

struct RunCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;  // timings masked
    std::string err = "";
};

class ProgramRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProgramRun, PrintsAndExitsSo) {
    const RunCase& c = GetParam();
    const RunResult run = runOnFiles(c.args, c.input);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(maskTimings(run.out), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ProgramRun,
    ::testing::ValuesIn(std::vector<RunCase>{
        {"DefaultFilesPedigreeFirstCodeSixOnlyTimed", {}, "", 0, reading("pedfile3.dat", "datafile3.dat")},
        {"DoubleDashEndsTheOptions", {"--", "--odd.dat", "pedfile3.dat"}, "", 0, reading("pedfile3.dat", "--odd.dat")},
        {"FourNumberFirstLineLeavesTheSecondLineIntact", {"1.dat", "1p.dat"}, "", 0, reading("1p.dat", "1.dat")},
        {"MissingPedigreeFileStopsBeforeTheLocusFile", {"datafile3.dat", "absent.dat"}, "", 255,
         "Opening absent.dat\nERROR: File not found.\n"},
        {"MissingLocusFile", {"absent.dat", "pedfile3.dat"}, "", 255,
         "Opening pedfile3.dat\nOpening absent.dat\nERROR: File not found.\n"},
        {"EmptyPedigreeFilePromptsReadsOneLineAndGoesOn", {"datafile3.dat", "empty.dat"}, "\nleft unread\n", 0,
         reading("empty.dat", "datafile3.dat", prompt)},
        {"EmptyLocusFileIsAnInputErrorAfterThePrompt", {"empty.dat", "pedfile3.dat"}, "\n", 1,
         "Opening pedfile3.dat\nOpening empty.dat\n" + prompt,
         "\nAn input error has been found:\nExpected the number of loci in the locus data file, but found the end of "
         "the file.\nIn empty.dat, line 1.\n"},
        {"FirstUnknownOptionIsRefusedBeforeAnyFileIsOpened", {"d.dat", "--estimate", "p.dat", "--x"}, "", 1, "",
         "pedlik: unknown option --estimate\nTry 'pedlik --help'.\n"},
        {"ThreadCountZeroIsRefused", {"--threads", "0", "--x"}, "", 1, "", "pedlik: invalid thread count '0'\nTry 'pedlik --help'.\n"},
        {"ThreadCountMustBeANumber", {"--threads=2x"}, "", 1, "", "pedlik: invalid thread count '2x'\nTry 'pedlik --help'.\n"},
        {"MemoryOfNoSizeIsRefused", {"--memory=2T", "d.dat"}, "", 1, "", "pedlik: invalid size '2T'\nTry 'pedlik --help'.\n"},
        {"MemoryWithoutSizeIsRefused", {"d.dat", "--memory"}, "", 1, "", "pedlik: option --memory needs a size\nTry 'pedlik --help'.\n"},
        {"MlToleranceMustBePositive", {"--ml-tolerance=0"}, "", 1, "", "pedlik: invalid tolerance '0'\nTry 'pedlik --help'.\n"},
        {"MlIterationsMustBeAWholeNumber", {"--ml-max-iterations", "1.5"}, "", 1, "", "pedlik: invalid iteration count '1.5'\nTry 'pedlik --help'.\n"},
        {"TableWithoutFileIsRefused", {"--table="}, "", 1, "", "pedlik: option --table needs a file name\nTry 'pedlik --help'.\n"},
        {"PlotOfUnknownFormatStopsBeforeAnyFileIsOpened", {"--plot", "lod.pdf"}, "", 1, "",
         "pedlik: cannot tell the plot's format from lod.pdf: its name must end in .png or .svg\n"},
        {"UnwritableTableStopsBeforeAnyFileIsOpened", {"--summary", "--table", "absent/lod.tsv"}, "", 1, "",
         "pedlik: cannot write absent/lod.tsv: No such file or directory\n"},
        {"TableOverAFolderStopsBeforeAnyFileIsOpened", {"--table=."}, "", 1, "", "pedlik: cannot write .: Is a directory\n"},
        {"ResultsNeedTheLodScoreMode", {"--summary"}, "", 1,
         "Opening pedfile3.dat\nOpening datafile3.dat\n\nAUTOSOMAL DATA\nReopening pedfile3.dat\nClosing pedfile3.dat\nClosing datafile3.dat\n",
         "pedlik: --summary, --table and --plot need the LOD-score mode (program code 5)\n"},
        {"MlNeedsTheBucketTreeMode", {"--ml"}, "", 1,
         "Opening pedfile3.dat\nOpening datafile3.dat\n\nAUTOSOMAL DATA\nReopening pedfile3.dat\nClosing pedfile3.dat\nClosing datafile3.dat\n",
         "pedlik: --ml, --ml-tolerance and --ml-max-iterations need the bucket-tree mode (program code 4)\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, HelpAnywhereDescribesUsageModesOptionsAndExitStatusesAndRunsNothing) {
    const RunResult run = runOnFiles({"d.dat", "--help", "p.dat"});
    EXPECT_TRUE(run.status == 0 && run.err.empty()) << run.err;
    for (const char* part : {"Usage: pedlik [OPTION]... [LOCUS_FILE [PEDIGREE_FILE]]\n", "LOD-score mode", "--version",
                             "bucket-tree mode", "--estimates", "--memory SIZE", "--threads N", "--help", "--summary", "--table FILE", "--plot FILE", "--ml", "Opening",
                             "Exit status: 0 after a complete run, 255 when an input file cannot be opened,\n1 after"}) {
        EXPECT_EQ(run.out.find(part) == std::string::npos, part == std::string("Opening")) << part;
    }
}

// The option adds its lines to the bucket-tree report wherever it stands (and leaves a LOD-score report alone).
TEST(CommandLine, EstimatesMayStandAnywhereAndOnlyAddTheirLines) {
    const std::string plain = maskTimings(runOnFiles({"d.dat", "p.dat"}).out);
    const std::string withEstimates = maskTimings(runOnFiles({"--estimates", "d.dat", "p.dat"}).out);
    EXPECT_FALSE(emIterations(withEstimates).empty()) << withEstimates;
    EXPECT_EQ(estimatedIterations(withEstimates), static_cast<int>(emIterations(withEstimates).size())) << withEstimates;
    EXPECT_EQ(withoutEmLines(withEstimates), plain);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"d.dat", "--estimates", "p.dat"},
                                                 {"d.dat", "p.dat", "--estimates"},
                                                 {"--estimates", "--", "d.dat", "p.dat"}}) {
        EXPECT_EQ(maskTimings(runOnFiles(args).out), withEstimates);
    }
}

// The bundled examples and their committed reports (in tests/e2e/golden/).
struct ExampleRun {
    const char* name;
    std::string locusFile, pedigreeFile;
    std::vector<std::string> args;  // none: the default file names
    std::string golden;
};

class GoldenOutput : public ::testing::TestWithParam<ExampleRun> {};

TEST_P(GoldenOutput, RunPrintsTheCommittedReportWithOrWithoutEstimatesOnAnyThreadCount) {
    const ExampleRun& example = GetParam();
    std::vector<std::string> args = example.args;
    for (int pass = 0; pass < 2; ++pass, args.insert(args.begin(), {"--estimates", "--threads", "1"})) {
        const RunResult run = runWithFiles({{example.locusFile, readFile(examplePath(example.locusFile))},
                                            {example.pedigreeFile, readFile(examplePath(example.pedigreeFile))}},
                                           args);
        EXPECT_TRUE(run.status == 0 && run.err.empty()) << run.err;
        EXPECT_EQ(maskTimings(run.out), readFile(PEDLIK_SOURCE_DIR "/tests/e2e/golden/" + example.golden));
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenOutput,
                         ::testing::Values(ExampleRun{"MakeRun", "datafile3.dat", "pedfile3.dat", {}, "make_run.out"},
                                           ExampleRun{"SexLinkedExample", "datafile_xlinked.dat", "pedfile_xlinked.dat",
                                                      {"datafile_xlinked.dat", "pedfile_xlinked.dat"}, "sex_linked_example.out"}),
                         [](const auto& info) { return std::string(info.param.name); });

using Files = std::pair<std::string, std::string>;  // locus data file, pedigree file

// Two loci: an affection locus with two liability classes (internal 0) and a four-allele marker (internal 1).
const std::string goodLocus =
    "2 0 0 5 << loci, risk, sexlinked, program\n0 0.0 0.0 0\n1 2\n1 2 << affection\n0.99 0.01\n2 << classes\n"
    "0.0 0.5 1.0 first class\n0.1 0.5 0.9 second class\n3 4 << marker\n0.25 0.25 0.25 0.25\n0 0\n0.1\n1 0.1 0.5\n";
// Trio: father 1, mother 2, child 3; phenotypes: status, class, two alleles.
const std::string trio =
    "1 1 0 0 3 0 0 1 0  1 1  1 2\n1 2 0 0 3 0 0 2 0  2 2  3 4\n1 3 1 2 0 0 0 1 0  1 1  1 3\n";

std::string replaceOnce(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no '" + from + "' in test text");
    return text.replace(at, from.size(), to);
}
Files locus(const std::string& from, const std::string& to) { return {replaceOnce(goodLocus, from, to), trio}; }
Files pedigree(const std::string& from, const std::string& to) { return {goodLocus, replaceOnce(trio, from, to)}; }
// The trio before linking, under person numbers 11, 12, 13.
const std::string preTrio = "1 11 0 0 1  1 1  1 2\n1 12 0 0 2  2 2  3 4\n1 13 11 12 1  1 1  1 3\n";
Files preMakeped(const std::string& from, const std::string& to) { return {goodLocus, replaceOnce(preTrio, from, to)}; }
// Three generations, the middle man written twice with loop-breaker code 2: as person 3 with his parents and as
// person 6 with his son.
const std::string broken = "1 1 0 0 3 0 0 1 0  1 1  1 2\n1 2 0 0 3 0 0 2 0  2 2  3 4\n1 3 1 2 0 0 0 1 2  1 1  1 3\n"
                           "1 4 0 0 5 0 0 2 0  1 2  2 2\n1 5 6 4 0 0 0 1 0  1 1  2 3\n1 6 0 0 5 0 0 1 2  1 1  1 3\n";
Files loopBroken(const std::string& from, const std::string& to) { return {goodLocus, replaceOnce(broken, from, to)}; }
RunResult runOn(const Files& files, std::vector<std::string> args = {}) {
    args.insert(args.end(), {"d.dat", "p.dat"});
    return runWithFiles({{"d.dat", files.first}, {"p.dat", files.second}}, args);
}
// The trio at a second marker, the loci in the file in this order.
Files threeLoci(const std::string& order) {
    const std::string locusText = replaceOnce(replaceOnce(replaceOnce(goodLocus, "2 0", "3 0"), "\n1 2\n", "\n" + order + "\n"), "0 0\n0.1", "3 2\n0.5 0.5\n0 0\n0.1 0.2");
    return {locusText, "1 1 0 0 3 0 0 1 0  1 1  1 2  1 1\n1 2 0 0 3 0 0 2 0  2 2  3 4  1 2\n1 3 1 2 0 0 0 1 0  1 1  1 3  1 2\n"};
}

struct InputErrorCase {
    const char* name;
    Files files;
    std::string message;  // the first line, as it always was
    std::string place;    // the second line
    std::vector<std::string> options = {};
};

// Where the second line must point: loci by the place of their description, persons by the numbers in the file.
std::string inLocusFile(int line, int locus = 0) {
    return "In d.dat, line " + std::to_string(line) + (locus > 0 ? ": locus " + std::to_string(locus) : "") + ".";
}
std::string inPedigreeFile(int line, int pedigree, int person, int locus = 0) {
    return "In p.dat, line " + std::to_string(line) + ": pedigree " + std::to_string(pedigree) + ", person " +
           std::to_string(person) + (locus > 0 ? ", locus " + std::to_string(locus) : "") + ".";
}

class InputErrorTest : public ::testing::TestWithParam<InputErrorCase> {};

TEST_P(InputErrorTest, ReportsTheErrorAndExitsWithStatusOne) {
    const InputErrorCase& c = GetParam();
    const RunResult run = runOn(c.files, c.options);
    EXPECT_EQ(run.status, 1);
    const std::string firstLine = c.message.substr(0, c.message.find_last_not_of('\n') + 1);
    EXPECT_EQ(run.err, "\nAn input error has been found:\n" + firstLine + "\n" + c.place + "\n");
    EXPECT_EQ(run.out.find("The time needed"), std::string::npos);
}

const std::string oneMarker = "0 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n1 0.1 0.5\n";
const std::string trait = "4 2\n0.5 0.5\n", traitTable = "1\n0 0 0\n0 0 0\n0 0 1\n";
const std::string frequency = "Expected a gene frequency of locus no. 0 in the locus data file, but found ";
const std::string variedIndex = "Invalid index of the varied recombination fraction: ";
const std::string increment =
    " (it must be positive when the start value 0.100000 is below the stop value 0.500000).\n";
const std::string father = "There is no correpondence between the father-child relation of person ";
const std::string missing = ", pedigree no. 0, doesn't exist. \n";
const std::string ofPersonTwo = ", locus no. 1 of person no. 2, pedigree no. 0.\n";
// The marker described first is internal locus 1, the second internal locus 0.
const std::string reversedMarkers = "2 0 0 6\n0 0.0 0.0 0\n2 1\n3 3\n0.3 0.3 0.4\n3 4\n0.25 0.25 0.25 0.25\n0 0\n0.1\n";
const std::string notAProbability = " (a probability must lie between 0 and 1).\n";
const std::string badClass =
    "Inappropriate value for the liability class in locus no. 0 of person no. 1, pedigree no. 0\n";

std::vector<InputErrorCase> cases() {
    return {
        {"LocusType", locus("3 4 <<", "2 4 <<"), "Invalid locus type in locus no. 2.\n", inLocusFile(9, 2)},
        {"ZeroGeneFrequency", locus("0.25 0.25 0.25", "0.25 0.0 0.25"), "Invalid gene frequency for locus no. 1 \n", inLocusFile(10, 2)},
        {"TextForANumber", locus("0.99 0.01", "0.99 abc"), frequency + "\"abc\".\n", inLocusFile(5, 1)},
        {"EndOfFileForANumber", {"2 0 0 5\n0 0.0 0.0 0\n1 2\n1 2\n0.99", trio}, frequency + "the end of the file.\n", inLocusFile(5, 1)},
        {"MissingModeLine", locus("1 0.1 0.5\n", ""),
         "Expected the index of the varied recombination fraction in the locus data file, but found the end of the "
         "file.\n", inLocusFile(12)},
        {"NoLoci", locus("2 0 0 5", "0 0 0 5"), "Invalid number of loci: 0 (at least 1 is needed).\n", inLocusFile(1)},
        {"OrderEntryOutOfRange", locus("1 2\n1 2", "1 3\n1 2"), "Invalid locus order: entry 2 is 3, but the loci are numbered 1 to 2.\n", inLocusFile(3)},
        {"OrderEntryRepeated", locus("1 2\n1 2", "2 2\n1 2"), "Invalid locus order: locus 2 appears more than once.\n", inLocusFile(3)},
        {"NoAlleles", locus("3 4 <<", "3 0 <<"), "Invalid number of alleles for locus no. 1: 0.\n", inLocusFile(9, 2)},
        {"NoLiabilityClasses", locus("2 << c", "0 << c"), "Invalid number of liability classes for locus no. 0: 0.\n", inLocusFile(6, 1)},
        {"VariedIndexTooLarge", locus("1 0.1", "2 0.1"), variedIndex + "2 (the file has 1 recombination fractions).\n", inLocusFile(13)},
        {"VariedIndexZero", locus("1 0.1", "0 0.1"), variedIndex + "0 (the file has 1 recombination fractions).\n", inLocusFile(13)},
        {"OneLocusInBucketTreeMode", {"1 0 0 4\n" + oneMarker, "1 1 0 0 0 0 0 1 0  1 2\n"},
         variedIndex + "1 (the file has 0 recombination fractions).\n", inLocusFile(8)},
        {"IncrementThatNeverReachesTheStop", locus("1 0.1 0.5", "1 0.0 0.5"),
         "Invalid increment of the varied recombination fraction: 0.000000" + increment, inLocusFile(13)},
        {"NegativeIncrement", locus("1 0.1 0.5", "1 -0.1 0.5"), "Invalid increment of the varied recombination fraction: -0.100000" + increment, inLocusFile(13)},
        {"OneTwoLocusTraitLocus",
         {replaceOnce(locus("3 4 << marker\n0.25 0.25 0.25 0.25\n", trait).first, "2 0 0 5", "2 0 0 5 2"),
          trio},
         "A two-locus trait needs two loci of type 4, but the file has only one (locus no. 1).\n", inLocusFile(9, 2)},
        {"ThreeTwoLocusTraitLoci", {"3 0 0 6 2\n0 0.0 0.0 0\n1 2 3\n" + trait + trait + traitTable + trait + "0 0\n0.1 0.1\n", trio},
         "Too many two-locus trait loci: locus no. 2 is the third.\n", inLocusFile(12, 3)},
        {"TraitLociInReverseMapOrder", {"2 0 0 6 2\n0 0.0 0.0 0\n2 1\n" + trait + trait + traitTable + "0 0\n0.1\n", "1 1 0 0 0 0 0 1 0  1\n"},
         "The first two-locus trait locus (locus no. 1) must precede the second (locus no. 0) in the locus order.\n", inLocusFile(4, 1)},
        {"TraitTableAtTheFirstTraitLocus", {"2 0 0 6 1\n0 0.0 0.0 0\n1 2\n" + trait + traitTable + trait + "0 0\n0.1\n", trio},
         "The trait table ordinal is 1, but the penetrance table of a two-locus trait must be given at its second "
         "locus (ordinal 2).\n", inLocusFile(4, 1)},
        {"FatherOutOfRange", pedigree("1 3 1 2", "1 3 4 2"), "The father of person no. 3" + missing, inPedigreeFile(3, 1, 3)},
        {"MotherOutOfRange", pedigree("1 3 1 2", "1 3 1 9"), "The mother of person no. 3" + missing, inPedigreeFile(3, 1, 3)},
        {"FirstChildOutOfRange", pedigree("1 1 0 0 3", "1 1 0 0 4"), "The first child of person no. 1" + missing, inPedigreeFile(1, 1, 1)},
        {"NextPaternalSiblingOutOfRange", pedigree("1 3 1 2 0 0 0", "1 3 1 2 0 5 0"), "The next paternal sibling of person no. 3" + missing, inPedigreeFile(3, 1, 3)},
        {"NextMaternalSiblingOutOfRange", pedigree("1 3 1 2 0 0 0", "1 3 1 2 0 0 5"), "The next maternal sibling of person no. 3" + missing, inPedigreeFile(3, 1, 3)},
        {"AffectionStatus", pedigree("2 0  2 2", "2 0  3 2"),
         "Inappropriate value for affection status in locus no. 0 of person no. 1, pedigree no. 0\n", inPedigreeFile(2, 1, 2, 1)},
        {"LiabilityClass", pedigree("2 0  2 2", "2 0  0 3"), badClass, inPedigreeFile(2, 1, 2, 1)},
        {"LiabilityClassZero", pedigree("2 0  2 2", "2 0  2 0"), badClass, inPedigreeFile(2, 1, 2, 1)},
        {"Allele1", pedigree("1 1  1 3", "1 1  5 3"), "There's an error in allele 1" + ofPersonTwo, inPedigreeFile(3, 1, 3, 2)},
        {"Allele2", pedigree("1 1  1 3", "1 1  1 -1"), "There's an error in allele 2" + ofPersonTwo, inPedigreeFile(3, 1, 3, 2)},
        {"OneAlleleUnknown", pedigree("1 1  1 3", "1 1  0 3"),
         "There's an error in locus no. 1 of person no. 2, pedigree no. 0. (1 allele is known and the other "
         "unknown)\n", inPedigreeFile(3, 1, 3, 2)},
        {"FatherChildRelation", pedigree("1 1 0 0 3", "1 1 0 0 0"), father + "3 & person 1", inPedigreeFile(3, 1, 3)},
        {"MotherChildRelation", pedigree("1 2 0 0 3", "1 2 0 0 0"),
         "There is no correpondence between the mother-child relation of person 3 & person 2", inPedigreeFile(3, 1, 3)},
        {"TextInAPersonLine", pedigree("0 1 0  1 1  1 3", "0 M 0  1 1  1 3"), "Expected the sex of person no. 2, pedigree no. 0, but found \"M\".\n", inPedigreeFile(3, 1, 3)},
        {"TruncatedPersonLine", pedigree("1 1  1 3\n", "1 1  1\n"),
         "Expected allele 2 at locus no. 1 of person no. 2, pedigree no. 0, but found the end of the file.\n", inPedigreeFile(3, 1, 3, 2)},
        {"TextForThePedigreeNumber", {goodLocus, trio + "x 4 0 0 0 0 0 1 0 1 1 1 2\n"},
         "Expected the pedigree number at the start of person line 4 of the pedigree file, but found \"x\".\n", "In p.dat, line 4."},
        {"NegativeLink", pedigree("1 3 1 2 0 0 0", "1 3 1 2 0 -2 0"),
         "The next paternal sibling of person no. 3, pedigree no. 0, is given as -2; links must not be negative. \n", inPedigreeFile(3, 1, 3)},
        {"FatherWithoutMother", pedigree("3 1 2", "3 1 0"), "Person 3 of pedigree no. 0 has a father but no mother.\n", inPedigreeFile(3, 1, 3)},
        {"MotherWithoutFather", pedigree("3 1 2", "3 0 2"), "Person 3 of pedigree no. 0 has a mother but no father.\n", inPedigreeFile(3, 1, 3)},
        {"FemaleFather", pedigree("1 1 0 0 3 0 0 1", "1 1 0 0 3 0 0 2"), "The father of person 3, pedigree no. 0, is person 1, who is not male.\n", inPedigreeFile(3, 1, 3)},
        {"ChildChainThatNeverEnds", pedigree("1 3 1 2 0 0 0", "1 3 1 2 0 3 0"), "The chain of children of person 1, pedigree no. 0, never ends.\n", inPedigreeFile(1, 1, 1)},
        {"ChildChainHoldingAStranger", pedigree("1 3 1 2 0 0 0", "1 3 1 2 0 2 0"),
         "Person 2 is in the chain of children of person 1, pedigree no. 0, but is not a child of that person.\n", inPedigreeFile(1, 1, 1)},
        {"OwnAncestor",
         {goodLocus, "1 1 0 0 3 0 0 1 0  1 1  1 2\n1 2 3 4 3 0 0 2 0  2 2  3 4\n1 3 1 2 2 0 0 1 0  1 1  1 3\n"
                         "1 4 0 0 2 0 0 2 0  1 1  1 3\n"},
         "Person 2 of pedigree no. 0 is his or her own ancestor.\n", inPedigreeFile(2, 1, 2)},
        {"SexLinkedMaleWithTwoDifferentAlleles", {"1 0 1 6\n0 0.0 0.0 0\n1\n3 5\n0.2 0.2 0.2 0.2 0.2\n0 0\n\n", "1 1 0 0 0 0 0 1 0  0 5\n"},
         "There's an error in locus no. 0 of person no. 0, pedigree no. 0. (males have a single allele)\n", inPedigreeFile(1, 1, 1, 1)},
        {"LargePersonNumbersInAMessage",
         {goodLocus, "7 2147483647 0 0 3 0 0 1 0  1 1  1 2\n7 -2147483647 0 0 3 0 0 2 0  2 2  3 4\n"
                         "7 2147483646 1 2 0 0 0 1 0  1 1  1 3\n8 1 0 0 0 0 0 1 0  1 1  1 3\n"
                         "8 2 0 0 0 0 0 2 0  1 1  1 3\n8 1000000000 1 2 0 0 0 1 0  1 1  1 3\n"},
         father + "1000000000 & person 1", inPedigreeFile(6, 8, 1000000000)},
        // Genotype elimination's stops: a child whose genotype neither parent pair allows. The first marker described
        // is internal locus 1; the child is person 17 of the second pedigree.
        {"AutosomalMarkerOfTheSecondPedigree",
         {reversedMarkers,
          "1 1 0 0 3 0 0 1 0  1 2  1 2\n1 2 0 0 3 0 0 2 0  1 2  1 2\n1 3 1 2 0 0 0 1 0  1 2  1 2\n"
          "2 1 0 0 3 0 0 1 0  1 2  4 4\n2 2 0 0 3 0 0 2 0  1 2  1 2\n2 17 1 2 0 0 0 2 0  1 2  1 2\n"},
         "Invalid value in locus no. 0 of person no. 17, pedigree no. 1.\n", inPedigreeFile(6, 2, 17, 2)},
        {"SexLinkedDaughter", {"1 0 1 6\n" + oneMarker, "5 1 0 0 3 0 0 1 0  3 0\n5 2 0 0 3 0 0 2 0  0 0\n5 3 1 2 0 0 0 2 0  1 2\n"},
         "Invalid value in locus no. 0 of person no. 3, pedigree no. 0.\n", inPedigreeFile(3, 5, 3, 1)},
        // The father passes three different alleles: only once the upward pass has narrowed him to two does the
        // second downward pass find the third.
        {"FoundOnlyAfterTheUpwardPass",
         {"1 0 0 6\n" + oneMarker, "1 1 0 0 3 0 0 1 0  0 0\n1 2 0 0 3 0 0 2 0  1 1\n1 3 1 2 0 4 4 1 0  1 1\n"
                                   "1 4 1 2 0 5 5 1 0  1 2\n1 15 1 2 0 0 0 1 0  1 3\n"},
         "Invalid value in locus no. 0 of person no. 15, pedigree no. 0.\n", inPedigreeFile(5, 1, 15, 1)},
        // Values that cannot be right.
        {"NegativeGeneFrequency", locus("0.25 0.25 0.25", "0.25 -0.25 0.25"), "Invalid gene frequency: -0.25" + notAProbability, inLocusFile(10, 2)},
        {"HugeGeneFrequency", locus("0.99 0.01", "1e308 0.01"), "Invalid gene frequency: 1e+308" + notAProbability, inLocusFile(5, 1)},
        {"PenetranceAboveOne", locus("0.0 0.5 1.0", "0.0 1.5 1.0"), "Invalid penetrance: 1.5" + notAProbability, inLocusFile(7, 1)},
        {"NegativePenetrance", locus("0.1 0.5 0.9", "0.1 -0.9 0.9"), "Invalid penetrance: -0.9" + notAProbability, inLocusFile(8, 1)},
        {"NegativeRecombinationFraction", locus("0 0\n0.1", "0 0\n-0.1"), "Invalid recombination fraction: -0.1" + notAProbability, inLocusFile(12)},
        {"RecombinationFractionAboveOne", locus("0 0\n0.1", "0 0\n1.2"), "Invalid recombination fraction: 1.2" + notAProbability, inLocusFile(12)},
        {"IncrementAboveOne", locus("1 0.1 0.5", "1 1.5 0.5"), "Invalid increment of the varied recombination fraction: 1.5" + notAProbability, inLocusFile(13)},
        {"StopValueAboveOne", locus("1 0.1 0.5", "1 0.1 1.01"), "Invalid stop value of the varied recombination fraction: 1.01" + notAProbability, inLocusFile(13)},
        {"SexThree", pedigree("0 0 0 1 0  1 1  1 3", "0 0 0 3 0  1 1  1 3"), "Invalid sex: 3 (1 is male, 2 female).\n", inPedigreeFile(3, 1, 3)},
        {"SexZero", pedigree("1 1 0 0 3 0 0 1", "1 1 0 0 3 0 0 0"), "Invalid sex: 0 (1 is male, 2 female).\n", inPedigreeFile(1, 1, 1)},
        {"RepeatedPersonNumber", pedigree("1 3 1 2", "1 2 1 2"), "The person number 2 is given twice in one pedigree (first on line 2).\n", inPedigreeFile(3, 1, 2)},
        // Pre-makeped files: parents by person number.
        {"PreMakepedParentNotInThePedigree", preMakeped("13 11 12", "13 11 19"),
         "The mother of person 13, pedigree no. 0, is person 19, who is not in the pedigree.\n", inPedigreeFile(3, 1, 13), {"--pre-makeped"}},
        {"PreMakepedFemaleFather", preMakeped("13 11 12", "13 12 11"),
         "The father of person 13, pedigree no. 0, is person 12, who is not male.\n", inPedigreeFile(3, 1, 13), {"--pre-makeped"}},
        {"PreMakepedPersonTwice", preMakeped("1 13 11 12", "1 12 11 12"),
         "The person number 12 is given twice in one pedigree (first on line 2).\n", inPedigreeFile(3, 1, 12), {"--pre-makeped"}},
        {"PreMakepedCycle", preMakeped("1 11 0 0", "1 11 13 12"),
         "Person 11 of pedigree no. 0 is his or her own ancestor.\n", inPedigreeFile(1, 1, 11), {"--pre-makeped"}},
        {"PreMakepedOneParent", preMakeped("13 11 12", "13 11 0"),
         "Person 13 of pedigree no. 0 has a father but no mother.\n", inPedigreeFile(3, 1, 13), {"--pre-makeped"}},
        // Loop-breaker copies.
        {"LoopBreakerCodeOnOnePerson", loopBroken("1 6 0 0 5 0 0 1 2", "1 6 0 0 5 0 0 1 0"),
         "The loop-breaker code 2 is carried by 1 person of pedigree no. 0, not by the two copies of one person.\n", inPedigreeFile(3, 1, 3)},
        {"LoopBreakerCodeOnThreePersons", {goodLocus, broken + "1 7 0 0 0 0 0 2 2  1 1  1 3\n"},
         "The loop-breaker code 2 is carried by 3 persons of pedigree no. 0, not by the two copies of one person.\n", inPedigreeFile(7, 1, 7)},
        {"LoopBreakerCopiesWithOtherPhenotypes", loopBroken("1 2  1 1  1 3", "1 2  1 1  1 4"),
         "Person 3 and person 6 of pedigree no. 0 are copies of one loop breaker, but their phenotypes differ.\n", inPedigreeFile(6, 1, 6, 2)},
        {"LoopBreakerCopiesOfEitherSex", loopBroken("1 3 1 2 0 0 0 1 2", "1 3 1 2 0 0 0 2 2"),
         "Person 3 and person 6 of pedigree no. 0 are copies of one loop breaker, but their sexes differ.\n", inPedigreeFile(6, 1, 6)},
        {"LoopBreakerCopiesBothWithParents", 
         Files{goodLocus, replaceOnce(replaceOnce(broken, "1 3 1 2 0 0 0", "1 3 1 2 0 6 6"), "1 6 0 0", "1 6 1 2")},
         "Person 3 and person 6 of pedigree no. 0 are copies of one loop breaker, but both have parents.\n", inPedigreeFile(6, 1, 6)},
        // Lines counted across blank lines; loci by their place in the locus file, whatever the map order.
        {"AfterBlankLines", pedigree("3 4\n1 3 1 2 0 0 0 1 0  1 1  1", "3 4\n\n  \n1 3 1 2 0 0 0 1 0  1 1  5"), "There's an error in allele 1" + ofPersonTwo, inPedigreeFile(5, 1, 3, 2)},
        {"LocusDescribedSecondInTheMapFirst", {reversedMarkers, "4 9 0 0 0 0 0 1 0  1 2  5 1\n"},
         "There's an error in allele 1, locus no. 0 of person no. 0, pedigree no. 0.\n", inPedigreeFile(1, 4, 9, 2)},
    };
}

INSTANTIATE_TEST_SUITE_P(Files, InputErrorTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The copies merged, the run is the unbroken pedigree's, after a line naming the pair.
TEST(LoopBreakers, MergedCopiesPrintTheirPairThenTheUnbrokenPedigreesReport) {
    const std::string unbroken = "1 1 0 0 3 0 0 1 0  1 1  1 2\n1 2 0 0 3 0 0 2 0  2 2  3 4\n1 3 1 2 5 0 0 1 0  1 1  1 3\n"
                                 "1 4 0 0 5 0 0 2 0  1 2  2 2\n1 5 3 4 0 0 0 1 0  1 1  2 3\n";
    const RunResult merged = runWithFiles({{"d.dat", goodLocus}, {"p.dat", broken}}, {"d.dat", "p.dat"});
    const RunResult whole = runWithFiles({{"d.dat", goodLocus}, {"p.dat", unbroken}}, {"d.dat", "p.dat"});
    ASSERT_TRUE(endedNormally(whole)) << whole.out;
    EXPECT_EQ(merged.err, "");
    EXPECT_EQ(maskTimings(merged.out), replaceOnce(maskTimings(whole.out), "Reopening p.dat\n",
                                                   "Reopening p.dat\nMerged loop-breaker copies: person 3 = person 6\n"));
}

struct WarningCase { const char* name; Files files; std::string err; };

class InputWarningTest : public ::testing::TestWithParam<WarningCase> {};

// Odd but computable values: one line each on standard error, in file order, and the run goes on to its report.
TEST_P(InputWarningTest, WarnsAndRunsOn) {
    const WarningCase& c = GetParam();
    const RunResult run = runOn(c.files);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, c.err);
    EXPECT_NE(run.out.find("LOD_SCORE"), std::string::npos) << run.out;
}

const std::string sumTo = "Warning: the gene frequencies sum to ";

INSTANTIATE_TEST_SUITE_P(
    Files, InputWarningTest,
    ::testing::ValuesIn(std::vector<WarningCase>{
        {"FrequenciesThatDoNotSumToOne", locus("0.25 0.25", "0.25 0.2"), sumTo + "0.95, not 1. In d.dat, line 10: locus 2.\n"},
        {"FrequenciesJustPastTheTolerance", locus("0.25 0.25 0.25 0.25", "0.25 0.25 0.25 0.2498"), sumTo + "0.9998, not 1. In d.dat, line 10: locus 2.\n"},
        {"FrequenciesWithinTheTolerance", locus("0.25 0.25 0.25 0.25", "0.25 0.25 0.25 0.24995"), ""},
        {"RecombinationFractionAboveOneHalf", locus("0 0\n0.1", "0 0\n0.7"), "Warning: the recombination fraction 0.7 is above 0.5. In d.dat, line 12.\n"},
        {"RecombinationFractionOneHalf", locus("0 0\n0.1", "0 0\n0.5"), ""},
        {"LocusOrderNotItsOwnInverse", threeLoci("2 3 1"), "Warning: the locus order 2 3 1 is read as the map places of the file's loci, not as LINKAGE "
                                                           "programs read it (the file places of the map's loci: --linkage-order). In d.dat, line 3.\n"},
        {"LocusOrderItsOwnInverse", threeLoci("1 3 2"), ""},
        {"BothInFileOrder", {replaceOnce(locus("0.99 0.01", "0.9 0.01").first, "0 0\n0.1", "0 0\n0.6"), trio},
         sumTo + "0.91, not 1. In d.dat, line 5: locus 1.\nWarning: the recombination fraction 0.6 is above 0.5. In d.dat, line 12.\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing

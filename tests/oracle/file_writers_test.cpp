#include "oracle/file_writers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "driver/read_problem.hpp"
#include "base/errors.hpp"
#include "input/process_state.hpp"
#include "oracle/hand_datasets.hpp"
#include "oracle/random_datasets.hpp"
#include "support/run_binary.hpp"

namespace pedlik::oracle {
namespace {

[[noreturn]] void throwOnFatalExit(int status) {
    throw std::runtime_error("pedlik stopped with status " + std::to_string(status));
}

// Reads the written files with pedlik's own readers into the process-wide
// run parameters, and clears them again afterwards.
class ReadBack {
public:
    explicit ReadBack(const Dataset& data) {
        runParameters = RunParameters{};
        fatalExitHandler = &throwOnFatalExit;
        directory_.write("datafile.dat", toPedlikLocusFile(data));
        directory_.write("pedfile.dat", toPedlikPedigreeFile(data));
        const std::string locus = (directory_.path() / "datafile.dat").string();
        const std::string pedigree = (directory_.path() / "pedfile.dat").string();
        ::testing::internal::CaptureStdout();
        try {
            programCode_ = readProblem(locus.c_str(), pedigree.c_str());
        } catch (...) {
            ::testing::internal::GetCapturedStdout();
            throw;
        }
        ::testing::internal::GetCapturedStdout();
    }
    ~ReadBack() {
        runParameters = RunParameters{};
        fatalExitHandler = &std::exit;
    }
    ReadBack(const ReadBack&) = delete;
    ReadBack& operator=(const ReadBack&) = delete;
    int programCode() const { return programCode_; }

private:
    testing::ScratchDir directory_;
    int programCode_ = 0;
};

LocusType expectedType(LocusKind kind) {
    switch (kind) {
        case LocusKind::AffectionStatus:
            return LocusType::AffectionStatus;
        case LocusKind::NumberedAlleles:
            return LocusType::NumberedAlleles;
        case LocusKind::TwoLocusTrait:
            return LocusType::TwoLocusTrait;
    }
    return LocusType::NumberedAlleles;
}

void expectLociRead(const Dataset& data) {
    const RunParameters& run = runParameters;
    ASSERT_EQ(run.lociCount, static_cast<int>(data.loci.size()));
    EXPECT_EQ(run.isSexLinked, data.sexLinked ? 1 : 0);
    EXPECT_EQ(run.lociOrder, data.order);
    ASSERT_EQ(run.thetaVals.size(), data.thetas.size());
    for (size_t i = 0; i < data.thetas.size(); ++i) EXPECT_EQ(run.thetaVals[i].theta, data.thetas[i]);
    if (data.programCode == 4 || data.programCode == 5) {
        EXPECT_EQ(run.variedThetaIndex, data.variedThetaIndex);
        EXPECT_EQ(run.thetaIncrement, data.thetaIncrement);
        EXPECT_EQ(run.thetaStop, data.thetaStop);
    }
    const std::optional<std::pair<int, int>> trait = findTraitLoci(data);
    for (size_t r = 0; r < data.loci.size(); ++r) {
        const LocusModel& model = data.loci[r];
        const Locus& locus = run.loci[r];
        EXPECT_EQ(locus.type, expectedType(model.kind)) << "locus " << r;
        EXPECT_EQ(locus.geneFrequencies, model.frequencies) << "locus " << r;
        const bool carriesTable =
            model.kind == LocusKind::AffectionStatus || (trait && trait->second == static_cast<int>(r));
        if (!carriesTable) continue;
        EXPECT_EQ(locus.liabilityClassCount, model.liabilityClassCount()) << "locus " << r;
        std::vector<double> female, male;
        for (const PenetrancePair& pair : locus.femalePenetrances) female.push_back(pair.penetrance);
        for (const PenetrancePair& pair : locus.malePenetrances) male.push_back(pair.penetrance);
        std::vector<double> expectedFemale, expectedMale;
        for (const std::vector<double>& row : model.femalePenetrances)
            expectedFemale.insert(expectedFemale.end(), row.begin(), row.end());
        for (const std::vector<double>& row : model.malePenetrances)
            expectedMale.insert(expectedMale.end(), row.begin(), row.end());
        EXPECT_EQ(female, expectedFemale) << "locus " << r;
        EXPECT_EQ(male, expectedMale) << "locus " << r;
    }
}

std::vector<int> candidates(const CandidateList& list) {
    std::vector<int> alleles;
    for (const halfLocusPerson& node : list) alleles.push_back(node.allele);
    return alleles;
}

void expectPersonRead(const Dataset& data, const PedigreeRecord& model, const Pedigree& pedigree, int j) {
    const PersonRecord& expected = model.persons[j];
    const Person& person = pedigree.persons[j];
    EXPECT_EQ(person.id, j + 1);
    EXPECT_EQ(person.father, expected.father < 0 ? nullptr : &pedigree.persons[expected.father]);
    EXPECT_EQ(person.mother, expected.mother < 0 ? nullptr : &pedigree.persons[expected.mother]);
    EXPECT_EQ(person.isFemale, expected.isMale ? 0 : 1);
    const std::optional<std::pair<int, int>> trait = findTraitLoci(data);
    for (size_t r = 0; r < data.loci.size(); ++r) {
        const Phenotype& phenotype = expected.phenotypes[r];
        const PersonLocus& read = person.loci[r];
        if (data.loci[r].kind == LocusKind::NumberedAlleles) {
            EXPECT_EQ(read.isUnknown, phenotype.allele1 == 0 ? 1 : 0);
            std::vector<int> alleles;
            if (phenotype.allele1 != 0) alleles.push_back(phenotype.allele1);
            if (phenotype.allele2 != 0 && phenotype.allele2 != phenotype.allele1) alleles.push_back(phenotype.allele2);
            std::sort(alleles.begin(), alleles.end());
            EXPECT_EQ(candidates(read.maternalCandidates), alleles) << "person " << j << " locus " << r;
            continue;
        }
        if (data.loci[r].kind == LocusKind::TwoLocusTrait && trait->second != static_cast<int>(r)) continue;
        EXPECT_EQ(read.affectionStatus, phenotype.affection) << "person " << j << " locus " << r;
        EXPECT_EQ(read.liabilityClass, phenotype.liabilityClass) << "person " << j << " locus " << r;
    }
}

class WrittenFiles : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(WrittenFiles, ReadBackAsTheDatasetSays) {
    const std::uint64_t seed = GetParam();
    TinyOptions options;
    options.geneDropped = seed % 2 == 0;
    const Dataset data = seed % 5 == 0 ? geneDroppedDataset(seed) : randomTinyDataset(seed, options);
    const ReadBack readBack(data);
    EXPECT_EQ(readBack.programCode(), data.programCode) << "seed " << seed;
    expectLociRead(data);
    ASSERT_EQ(runParameters.pedigrees.count, static_cast<int>(data.pedigrees.size())) << "seed " << seed;
    const Pedigree* pedigree = runParameters.pedigrees.head;
    for (const PedigreeRecord& model : data.pedigrees) {
        ASSERT_EQ(pedigree->personCount, static_cast<int>(model.persons.size())) << "seed " << seed;
        EXPECT_EQ(pedigree->pedigreeId, model.id);
        for (int j = 0; j < pedigree->personCount; ++j) expectPersonRead(data, model, *pedigree, j);
        pedigree = pedigree->next;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, WrittenFiles, ::testing::Range<std::uint64_t>(1, 61));

using namespace hand;

Dataset sexLinkedTrioWithOrder(std::vector<int> order) {
    Dataset data = dataset({marker({0.5, 0.5}), marker({0.25, 0.75}), marker({0.1, 0.9})}, {0.1, 0.2},
                           {{founder(true, {hemizygote(2), hemizygote(1), unknown()}),
                             founder(false, {alleles(1, 2), alleles(2, 2), unknown()}),
                             child(0, 1, true, {hemizygote(1), unknown(), hemizygote(2)})}},
                           true);
    data.order = std::move(order);
    return data;
}

TEST(LinkageFiles, WriteSexLinkedMalesWithTheirAlleleTwice) {
    const Dataset data = sexLinkedTrioWithOrder({1, 2, 3});
    EXPECT_EQ(toLinkagePedigreeFile(data),
              "1 1 0 0 3 0 0 1 0  2 2  1 1  0 0\n"
              "1 2 0 0 3 0 0 2 0  1 2  2 2  0 0\n"
              "1 3 1 2 0 0 0 1 0  1 1  0 0  2 2\n");
    EXPECT_EQ(toPedlikPedigreeFile(data),
              "1 1 0 0 3 0 0 1 0  2 0  1 0  0 0\n"
              "1 2 0 0 3 0 0 2 0  1 2  2 2  0 0\n"
              "1 3 1 2 0 0 0 1 0  1 0  0 0  2 0\n");
}

TEST(LinkageFiles, AcceptOnlyOrdersThatAreTheirOwnInverse) {
    EXPECT_NO_THROW(toLinkageLocusFile(sexLinkedTrioWithOrder({1, 3, 2})));
    EXPECT_NO_THROW(toLinkageLocusFile(sexLinkedTrioWithOrder({3, 2, 1})));
    EXPECT_THROW(toLinkageLocusFile(sexLinkedTrioWithOrder({2, 3, 1})), std::invalid_argument);
    EXPECT_THROW(toLinkagePedigreeFile(sexLinkedTrioWithOrder({3, 1, 2})), std::invalid_argument);
    EXPECT_NO_THROW(toPedlikLocusFile(sexLinkedTrioWithOrder({2, 3, 1})));
}

TEST(LinkageFiles, HaveNoTwoLocusTrait) {
    const Dataset data = dataset({trait({0.5, 0.5}), trait({0.5, 0.5}, {{0, 0, 0, 0, 0, 0, 0, 0, 1}})}, {0.1},
                                 {{founder(true, {unknown(), status(2)})}});
    EXPECT_THROW(toLinkageLocusFile(data), std::invalid_argument);
    EXPECT_NO_THROW(toPedlikLocusFile(data));
}

TEST(FileWriters, RejectAnInvalidDataset) {
    Dataset data = sexLinkedTrioWithOrder({1, 2, 3});
    data.pedigrees[0].persons[2].mother = 0;  // a male mother
    EXPECT_THROW(toPedlikPedigreeFile(data), std::invalid_argument);
}

TEST(FileWriters, WriteRealsShortestAndExact) {
    EXPECT_EQ(formatReal(0.1), "0.1");
    EXPECT_EQ(formatReal(1.0), "1.0");
    EXPECT_EQ(formatReal(0.0), "0.0");
    EXPECT_EQ(formatReal(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(std::stod(formatReal(0.1 + 0.2)), 0.1 + 0.2);
}

}  // namespace
}  // namespace pedlik::oracle

// The same data written as a pre-makeped file (parents by arbitrary person numbers) and as a linked file give the
// same report, on random pedigrees with loops, half-sibs, parents after children, several pedigrees, every locus
// kind and both modes, and on gene-dropped families of up to 60 persons.
#include <gtest/gtest.h>

#include "oracle/dataset.hpp"
#include "support/problem_loading.hpp"
#include "support/report_reading.hpp"

namespace pedlik::testing {
namespace {

RunResult runAs(const oracle::Dataset& data, const std::string& pedigreeFile, std::vector<std::string> args) {
    args.insert(args.end(), {"d.dat", "p.dat"});
    return runWithFiles({{"d.dat", oracle::toPedlikLocusFile(data)}, {"p.dat", pedigreeFile}}, args);
}

void expectSameReport(const oracle::Dataset& data, const std::string& what) {
    const RunResult linked = runAs(data, oracle::toPedlikPedigreeFile(data), {});
    const RunResult pre = runAs(data, oracle::toPreMakepedPedigreeFile(data), {"--pre-makeped"});
    EXPECT_EQ(linked.status, 0) << what;
    EXPECT_EQ(pre.status, linked.status) << what;
    EXPECT_EQ(pre.err, linked.err) << what;
    EXPECT_EQ(maskTimings(pre.out), maskTimings(linked.out)) << what;
}

// Every link of every person, and each pedigree's first leaf and founder, as line positions (0: none).
std::vector<long> linkPositions() {
    std::vector<long> links;
    for (const Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        const auto at = [&](const Person* p) { return p == nullptr ? 0 : p - pedigree->persons.data() + 1; };
        links.insert(links.end(), {at(pedigree->firstLeaf), at(pedigree->firstFounder)});
        for (const Person& p : pedigree->persons) {
            links.insert(links.end(), {at(p.father), at(p.mother), at(p.firstChild), at(p.nextPaternalSibling), at(p.nextMaternalSibling)});
        }
    }
    return links;
}

TEST(PreMakeped, LinksChildrenInFileOrderAsTheLinkedFileDoes) {
    for (std::uint64_t seed = 1; seed <= 100; ++seed) {
        const oracle::Dataset data = oracle::randomTinyDataset(seed, {.maxPersons = 9});
        loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
        const std::vector<long> linked = linkPositions();
        loadProblem(oracle::toPedlikLocusFile(data), oracle::toPreMakepedPedigreeFile(data), {.pedigree = PedigreeFormat::PreMakeped});
        EXPECT_EQ(linkPositions(), linked) << "seed " << seed;
    }
}

TEST(PreMakeped, ReportsWhatTheLinkedFileOfTheSameDataReports) {
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        expectSameReport(oracle::randomTinyDataset(seed, {.maxPersons = 9}), "tiny seed " + std::to_string(seed));
    }
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        expectSameReport(oracle::geneDroppedDataset(seed, {.maxPersons = 30}), "gene-dropped seed " + std::to_string(seed));
    }
}

}  // namespace
}  // namespace pedlik::testing

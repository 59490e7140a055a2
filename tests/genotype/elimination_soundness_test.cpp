// Genotype elimination against exact posteriors on random tiny pedigrees: it
// may remove only alleles the data rule out, fix only selectors the data
// decide, and stop only on data that cannot be.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "oracle/enumerator.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

using oracle::Dataset;
using oracle::FounderPhase;

constexpr int seedCount = 400;

void eliminate() {
    (runParameters.isSexLinked == 1 ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees);
}

// Genotype elimination looks at one numbered-allele locus at a time, so the
// answers it must respect are those of that locus alone, which allow at
// least what the whole problem allows and decide no more than it does. At
// internal locus 0 founders order their alleles as the network does (the
// lower one paternal); elsewhere their alleles are independent.
struct LocusAlone {
    Dataset data;
    FounderPhase phase;

    LocusAlone(const Dataset& whole, int locus)
        : data(oracle::onlyLoci(whole, {locus})),
          phase(locus == 0 ? FounderPhase::LowerAlleleFromFatherAtFirstLocus : FounderPhase::Independent) {}
};

struct Tally {
    int stops = 0;
    int removedAlleles = 0;
    int fixedSelectors = 0;
};

// The stop names a child of the pedigree it gives, at a numbered-allele
// locus whose data alone are impossible in that pedigree.
void expectJustifiedStop(const Dataset& data, const StoppedRun& run) {
    int locus = -1, person = -1, pedigree = -1;
    ASSERT_EQ(std::sscanf(run.err.c_str(),
                          "\nAn input error has been found:\nInvalid value in locus no. %d of person no. %d, "
                          "pedigree no. %d.",
                          &locus, &person, &pedigree),
              3)
        << run.err;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nAn input error has been found:\nInvalid value in locus no. " + std::to_string(locus) +
                           " of person no. " + std::to_string(person) + ", pedigree no. " + std::to_string(pedigree) +
                           ".\n\n");
    ASSERT_TRUE(pedigree >= 0 && pedigree < static_cast<int>(data.pedigrees.size())) << run.err;
    ASSERT_TRUE(locus >= 0 && locus < static_cast<int>(data.loci.size())) << run.err;
    EXPECT_EQ(data.loci[locus].kind, oracle::LocusKind::NumberedAlleles) << run.err;
    const auto& persons = data.pedigrees[pedigree].persons;
    ASSERT_TRUE(person >= 1 && person <= static_cast<int>(persons.size())) << run.err;  // numbered in line order
    EXPECT_GE(persons[person - 1].father, 0) << "not a child: " << run.err;
    EXPECT_EQ(oracle::likelihood(LocusAlone(data, locus).data, pedigree), 0.0) << run.err;
}

// One half's list at one locus: ascending and non-empty, and every allele
// missing from it impossible; the selector towards that parent fixed only
// where the other value is impossible.
void expectSoundHalf(const LocusAlone& alone, int pedigree, int line, const PersonLocus& data, bool paternal,
                     Tally& tally) {
    const CandidateList& list = paternal ? data.paternalCandidates : data.maternalCandidates;
    SCOPED_TRACE(std::string(paternal ? "paternal" : "maternal") + " half of line " + std::to_string(line + 1) + ": " +
                 alleles(list));
    ASSERT_FALSE(list.empty());
    for (size_t k = 1; k < list.size(); ++k) EXPECT_LT(list[k - 1].allele, list[k].allele);
    const int alleleCount = alone.data.loci[0].alleleCount();
    size_t next = 0;
    for (int allele = 1; allele <= alleleCount; ++allele) {
        if (next < list.size() && list[next].allele == allele) {
            ++next;
            continue;
        }
        ++tally.removedAlleles;
        EXPECT_EQ(oracle::posteriorAllele(alone.data, pedigree, line, 0, paternal, allele, alone.phase), 0.0)
            << "allele " << allele << " was removed";
    }
    const int state = paternal ? data.paternalSelectorState : data.maternalSelectorState;
    const int value = paternal ? data.paternalSelectorValue : data.maternalSelectorValue;
    if (state != selectorFixed) return;
    ++tally.fixedSelectors;
    ASSERT_GE(alone.data.pedigrees[pedigree].persons[line].father, 0) << "a founder's selector is fixed";
    EXPECT_EQ(oracle::posteriorSelector(alone.data, pedigree, line, 0, paternal, 1 - value, alone.phase), 0.0)
        << "selector fixed to " << value;
}

void expectSoundLists(const Dataset& data, Tally& tally) {
    int index = 0;
    for (const Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr;
         pedigree = pedigree->next, ++index) {
        for (int locus = 0; locus < static_cast<int>(data.loci.size()); ++locus) {
            if (data.loci[locus].kind != oracle::LocusKind::NumberedAlleles) continue;
            const LocusAlone alone(data, locus);
            // Where the locus alone is impossible there is nothing to respect.
            if (oracle::likelihood(alone.data, index) == 0.0) continue;
            SCOPED_TRACE("pedigree " + std::to_string(index) + ", locus " + std::to_string(locus));
            for (int line = 0; line < pedigree->personCount; ++line) {
                const Person& person = pedigree->persons[line];
                const PersonLocus& genotype = person.loci[locus];
                if (data.sexLinked && person.isFemale == 0) {
                    EXPECT_TRUE(genotype.paternalCandidates.empty()) << "a male with a paternal half";
                    EXPECT_NE(genotype.paternalSelectorState, selectorFixed) << "a male with a paternal selector";
                } else {
                    expectSoundHalf(alone, index, line, genotype, true, tally);
                }
                expectSoundHalf(alone, index, line, genotype, false, tally);
            }
        }
    }
}

TEST(EliminationSoundness, RemovesOnlyImpossibleAllelesFixesOnlyCertainSelectorsStopsOnlyOnImpossibleData) {
    Tally tally;
    for (std::uint64_t seed = 1; seed <= seedCount; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        oracle::TinyOptions options;
        options.geneDropped = seed % 2 == 0;
        const Dataset data = oracle::randomTinyDataset(seed, options);
        loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
        const StoppedRun run = runUntilStopped(eliminate);
        if (run.stopped) {
            ++tally.stops;
            expectJustifiedStop(data, run);
        } else {
            expectSoundLists(data, tally);
        }
        if (HasFailure()) break;
    }
    if (HasFailure()) return;
    // The checks bit: the seeds reach every kind of outcome (about 80 stops,
    // 4,600 removed alleles and 55 fixed selectors).
    EXPECT_GE(tally.stops, seedCount / 20);
    EXPECT_GE(tally.removedAlleles, seedCount);
    EXPECT_GE(tally.fixedSelectors, seedCount / 10);
}

}  // namespace
}  // namespace pedlik::testing

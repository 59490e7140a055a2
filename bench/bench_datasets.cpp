// Writes the bench's datasets: for every case a folder with pedlik's two
// input files and, in its subfolder linkage/, the same problem for FASTLINK;
// and cases.tsv, one line per case (name, persons, loci, marker allele
// counts, whether FASTLINK can run it).
//
// Usage: pedlik_bench_datasets OUTPUT_FOLDER

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_case.hpp"
#include "oracle/dataset.hpp"

namespace {

namespace fs = std::filesystem;
using pedlik::oracle::Dataset;
using pedlik::bench::BenchCase;

// mlink stops or runs out of memory from 7 loci on, whatever the pedigree.
constexpr int fastlinkMaxLoci = 6;

// Each case fixes its marker and pedigree counts; the seed draws the rest
// (allele counts between 4 and maxAlleles, family shape, model, typing).
// The first cases stay within FASTLINK's loci, at allele counts it takes in
// reasonable time; the others have the full 6 to 10 markers.
const std::vector<BenchCase> benchCases = {
    {"m3-a8", 11, 3, 8, 1, 45, false},
    {"m4-a6", 12, 4, 6, 1, 40, false},
    {"m4-a8-x", 13, 4, 8, 1, 50, true},
    {"m5-a4", 14, 5, 4, 1, 35, false},
    {"m5-a5-2ped", 15, 5, 5, 2, 25, false},
    {"m5-a4-x", 16, 5, 4, 1, 60, true},
    {"m6-a6", 21, 6, 6, 1, 40, false},
    {"m7-a8", 22, 7, 8, 1, 50, false},
    {"m8-a6-x", 23, 8, 6, 1, 45, true},
    {"m9-a7", 24, 9, 7, 1, 60, false},
    {"m10-a8", 25, 10, 8, 1, 30, false},
    {"m10-a5-2ped", 26, 10, 5, 2, 30, false},
};

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

// "4/7/5": the allele counts of the markers in map order.
std::string markerAlleles(const Dataset& data) {
    std::string text;
    for (const pedlik::oracle::LocusModel& locus : data.loci) {
        if (locus.kind != pedlik::oracle::LocusKind::NumberedAlleles) continue;
        text.append(text.empty() ? "" : "/").append(std::to_string(locus.alleleCount()));
    }
    return text;
}

int personCount(const Dataset& data) {
    int persons = 0;
    for (const pedlik::oracle::PedigreeRecord& pedigree : data.pedigrees) {
        persons += static_cast<int>(pedigree.persons.size());
    }
    return persons;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path output = argv[1];
    std::string table;
    for (const BenchCase& benchCase : benchCases) {
        const Dataset data = pedlik::bench::benchDataset(benchCase, 4, INT64_MAX);
        const fs::path folder = output / benchCase.name;
        fs::create_directories(folder / "linkage");
        writeText(folder / "datafile3.dat", pedlik::oracle::toPedlikLocusFile(data));
        writeText(folder / "pedfile3.dat", pedlik::oracle::toPedlikPedigreeFile(data));
        writeText(folder / "linkage" / "datafile.dat", pedlik::oracle::toPedlikLocusFile(data));
        writeText(folder / "linkage" / "pedfile.dat", pedlik::oracle::toLinkagePedigreeFile(data));
        const int loci = static_cast<int>(data.loci.size());
        table += std::string(benchCase.name) + "\t" + std::to_string(personCount(data)) + "\t" +
                 std::to_string(loci) + "\t" + markerAlleles(data) + "\t" + (loci <= fastlinkMaxLoci ? "1" : "0") +
                 "\n";
    }
    writeText(output / "cases.tsv", table);
    return 0;
}

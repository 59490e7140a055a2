// Writes the bench's datasets: for every case a folder with pedlik's two
// input files and, in its subfolder linkage/, the same problem for FASTLINK;
// and cases.tsv, one line per case (name, persons, loci, marker allele
// counts, percent of marker genotypes unknown, whether FASTLINK runs it).
//
// Usage: pedlik_bench_datasets OUTPUT_FOLDER

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "realistic_families.hpp"
#include "oracle/dataset.hpp"

namespace {

namespace fs = std::filesystem;
using pedlik::oracle::Dataset;
using pedlik::bench::BenchCase;

// mlink runs out of memory from 6 loci of 7 or 8 alleles on in these
// families, and stops from 7 loci on whatever the pedigree.
constexpr int fastlinkMaxLoci = 5;

// name, seed, markers, min and max alleles, pedigrees, persons per pedigree,
// generations, sex-linked, loop. The first cases (2 to 4 markers, no loop)
// are timed against FASTLINK; the rest, 5 to 20 markers or a loop, are
// pedlik's alone: time and memory as markers grow.
const std::vector<BenchCase> benchCases = {
    {"p47-m3", 101, 3, 5, 6, 1, 47, 4, false, false},    {"p40-m3", 102, 3, 5, 6, 1, 40, 4, false, false},
    {"p55-m3", 103, 3, 6, 8, 1, 55, 5, false, false},    {"p30-m4", 104, 4, 5, 7, 1, 30, 4, false, false},
    {"p60-m2", 105, 2, 7, 8, 1, 60, 5, false, false},    {"2x25-m3", 106, 3, 5, 8, 2, 25, 3, false, false},
    {"p45-m4-x", 107, 4, 5, 8, 1, 45, 4, true, false},   {"p38-m4-x", 108, 4, 5, 7, 1, 38, 4, true, false},
    {"p52-m3-x", 109, 3, 6, 8, 1, 52, 5, true, false},   {"p35-m2-x", 110, 2, 6, 8, 1, 35, 4, true, false},
    {"p50-m4", 111, 4, 5, 6, 1, 50, 4, false, false},    {"p42-m3", 112, 3, 5, 8, 1, 42, 4, false, false},
    {"p58-m3", 113, 3, 5, 8, 1, 58, 5, false, false},    {"p33-m3-x", 114, 3, 6, 8, 1, 33, 4, true, false},
    {"p47-m5", 101, 5, 6, 8, 1, 47, 4, false, false},    {"p50-m5", 111, 5, 5, 8, 1, 50, 4, false, false},
    {"p40-m4-loop", 201, 4, 5, 8, 1, 40, 4, false, true}, {"p40-m6", 202, 6, 5, 8, 1, 40, 4, false, false},
    {"p40-m8", 203, 8, 5, 8, 1, 40, 4, false, false},    {"p40-m12", 204, 12, 5, 8, 1, 40, 4, false, false},
    {"p40-m20", 205, 20, 5, 8, 1, 40, 4, false, false},  {"p50-m8-loop", 206, 8, 5, 8, 1, 50, 5, false, true},
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
        const Dataset data = pedlik::bench::benchDataset(benchCase);
        const fs::path folder = output / benchCase.name;
        fs::create_directories(folder / "linkage");
        writeText(folder / "datafile3.dat", pedlik::oracle::toPedlikLocusFile(data));
        writeText(folder / "pedfile3.dat", pedlik::oracle::toPedlikPedigreeFile(data));
        writeText(folder / "linkage" / "datafile.dat", pedlik::oracle::toPedlikLocusFile(data));
        writeText(folder / "linkage" / "pedfile.dat", pedlik::oracle::toLinkagePedigreeFile(data));
        const int loci = static_cast<int>(data.loci.size());
        const int unknownPercent = static_cast<int>(100 * pedlik::bench::unknownMarkerShare(data) + 0.5);
        table += std::string(benchCase.name) + "\t" + std::to_string(personCount(data)) + "\t" + std::to_string(loci) + "\t" +
                 markerAlleles(data) + "\t" + std::to_string(unknownPercent) + "\t" +
                 (loci <= fastlinkMaxLoci && !benchCase.loop ? "1" : "0") + "\n";
    }
    writeText(output / "cases.tsv", table);
    return 0;
}

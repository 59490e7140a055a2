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

#include "bench_cases.hpp"
#include "realistic_families.hpp"
#include "oracle/dataset.hpp"

namespace {

namespace fs = std::filesystem;
using pedlik::oracle::Dataset;
using pedlik::bench::BenchCase;
using pedlik::bench::benchCases;

// mlink runs out of memory from 6 loci of 7 or 8 alleles on in these
// families, and stops from 7 loci on whatever the pedigree.
constexpr int fastlinkMaxLoci = 5;

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

#include "input/locus_reader.hpp"

#include <cmath>
#include <string>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "input/input_place.hpp"
#include "input/locus_order.hpp"
#include "input/process_state.hpp"
#include "input/text_reading.hpp"

namespace pedlik {

namespace {

// The file as read, with the locus whose description is being read.
struct LocusText : TextStream {
    int locus = 0;                      // 1-based place of the description; 0: outside the descriptions
    std::vector<int> descriptionLines;  // where each description read so far starts
};

InputPlace placeOf(const LocusText& stream) { return {stream.path, stream.tokenLine, stream.locus}; }

// The description of internal locus `r`.
InputPlace descriptionPlace(const LocusText& stream, int r) {
    const int k = locusPlace(r);
    return {stream.path, stream.descriptionLines[k - 1], k};
}

[[noreturn]] void unreadable(LocusText& stream, const std::string& what) {
    const std::string found = describeNextText(stream);
    inputErrorAt(placeOf(stream),
                 formatMessage("Expected %s in the locus data file, but found %s.\n", what.c_str(), found.c_str()));
}

// Probabilities outside 0..1 would give likelihoods that mean nothing.
void checkProbability(const LocusText& stream, double value, const char* what) {
    if (value >= 0.0 && value <= 1.0) return;
    inputErrorAt(placeOf(stream),
                 formatMessage("Invalid %s: %.15g (a probability must lie between 0 and 1).\n", what, value));
}

int requireInt(LocusText& stream, const std::string& what) {
    int value = 0;
    if (!readInt(stream, value)) unreadable(stream, what);
    return value;
}

double requireReal(LocusText& stream, const std::string& what) {
    double value = 0.0;
    if (!readReal(stream, value)) unreadable(stream, what);
    return value;
}

void readFirstLine(LocusText& stream) {
    RunParameters& run = runParameters;
    run.lociCount = requireInt(stream, "the number of loci");
    run.riskLocus = requireInt(stream, "the risk locus");
    const int sexLinkage = requireInt(stream, "the sex-linkage code");
    run.programCode = requireInt(stream, "the program code");
    // Many files give only four numbers here; the fifth is needed only by
    // two-locus traits, and must not be taken from the next line.
    run.traitTableOrdinal = 0;
    if (numberFollowsOnLine(stream)) run.traitTableOrdinal = requireInt(stream, "the trait table ordinal");
    skipRestOfLine(stream);
    run.isSexLinked = sexLinkage == 1 ? 1 : 0;
    run.traitLocusCount = 0;
    std::printf(run.isSexLinked ? "\nSEXLINKED DATA\n" : "\nAUTOSOMAL DATA\n");
    if (run.lociCount < 1) {
        inputErrorAt(placeOf(stream),
                     formatMessage("Invalid number of loci: %d (at least 1 is needed).\n", run.lociCount));
    }
}

void readSecondLine(LocusText& stream) {
    runParameters.mutationLocus = requireInt(stream, "the mutation locus");
    requireReal(stream, "the second number of the second line");
    requireReal(stream, "the third number of the second line");
    const int haplotypeFlag = requireInt(stream, "the fourth number of the second line");
    runParameters.hasHaplotypeFrequencies = haplotypeFlag == 1 ? 1 : 0;
    skipRestOfLine(stream);
}

void readOrderLine(LocusText& stream, LocusOrderReading reading) {
    RunParameters& run = runParameters;
    allocateOrDie("lociOrder", [&] { run.lociOrder.assign(run.lociCount, 0); });
    std::vector<bool> seen;
    allocateOrDie("lociOrder", [&] { seen.assign(run.lociCount, false); });
    for (int k = 0; k < run.lociCount; ++k) {
        const int entry = requireInt(stream, "an entry of the locus order");
        if (entry < 1 || entry > run.lociCount) {
            inputErrorAt(placeOf(stream),
                         formatMessage("Invalid locus order: entry %d is %d, but the loci are numbered 1 to %d.\n",
                                       k + 1, entry, run.lociCount));
        }
        if (seen[entry - 1]) {
            inputErrorAt(placeOf(stream),
                         formatMessage("Invalid locus order: locus %d appears more than once.\n", entry));
        }
        seen[entry - 1] = true;
        run.lociOrder[k] = entry;
    }
    if (!isOwnInverse(run.lociOrder)) {
        if (reading == LocusOrderReading::MapToDescription) {
            run.lociOrder = inverseOrder(run.lociOrder);
        } else {
            inputWarningAt(placeOf(stream),
                           formatMessage("the locus order %s is read as the map places of the file's loci, not as LINKAGE "
                                         "programs read it (the file places of the map's loci: --linkage-order).",
                                         orderText(run.lociOrder).c_str()));
        }
    }
    skipRestOfLine(stream);
    allocateOrDie("loci", [&] { run.loci.assign(run.lociCount, Locus{}); });
    allocateOrDie("thetaVals", [&] { run.thetaVals.assign(run.lociCount - 1, ThetaPair{}); });
}

void readGeneFrequencies(LocusText& stream, Locus& locus, int r) {
    const std::string what = formatMessage("a gene frequency of locus no. %d", r);
    allocateOrDie("Gene Frequencies", [&] { locus.geneFrequencies.assign(locus.alleleCount, 0.0); });
    double sum = 0.0;
    for (double& frequency : locus.geneFrequencies) {
        frequency = requireReal(stream, what);
        if (frequency == 0.0) {
            inputErrorAt(placeOf(stream), formatMessage("Invalid gene frequency for locus no. %d \n", r));
        }
        checkProbability(stream, frequency, "gene frequency");
        sum += frequency;
    }
    // Frequencies stored with few digits may miss 1 by a little; more than
    // that is likely a typing error, yet the likelihood can still be computed.
    if (std::fabs(sum - 1.0) > 1e-4) {
        inputWarningAt(placeOf(stream), formatMessage("the gene frequencies sum to %.15g, not 1.", sum));
    }
    skipRestOfLine(stream);
}

void readLiabilityClassCount(LocusText& stream, Locus& locus, int r) {
    locus.liabilityClassCount =
        requireInt(stream, formatMessage("the number of liability classes of locus no. %d", r));
    if (locus.liabilityClassCount < 1) {
        inputErrorAt(placeOf(stream), formatMessage("Invalid number of liability classes for locus no. %d: %d.\n", r,
                                                    locus.liabilityClassCount));
    }
    skipRestOfLine(stream);
}

// Reads `count` penetrances into pairs starting at `next`. The line they
// stand on may end in a comment.
void readPenetranceLine(LocusText& stream, PenetrancePair*& next, int count, int r) {
    const std::string what = formatMessage("a penetrance of locus no. %d", r);
    for (int i = 0; i < count; ++i, ++next) {
        next->penetrance = requireReal(stream, what);
        checkProbability(stream, next->penetrance, "penetrance");
        next->complement = 1.0 - next->penetrance;
    }
    endNumbersLine(stream);
}

// Reads every liability class: per class `femaleRows` lines of `femaleWidth`
// penetrances, then in sex-linked data `maleRows` lines of `maleWidth`.
void readPenetrances(LocusText& stream, Locus& locus, int r, int femaleRows, int femaleWidth, int maleRows,
                     int maleWidth) {
    const int classes = locus.liabilityClassCount;
    const bool sexLinked = runParameters.isSexLinked == 1;
    allocateOrDie("Female Penetrances", [&] {
        locus.femalePenetrances.assign(static_cast<size_t>(classes) * femaleRows * femaleWidth, PenetrancePair{});
    });
    if (sexLinked) {
        allocateOrDie("Male Penetrances", [&] {
            locus.malePenetrances.assign(static_cast<size_t>(classes) * maleRows * maleWidth, PenetrancePair{});
        });
    }
    PenetrancePair* nextFemale = locus.femalePenetrances.data();
    PenetrancePair* nextMale = locus.malePenetrances.data();
    for (int c = 0; c < classes; ++c) {
        for (int row = 0; row < femaleRows; ++row) readPenetranceLine(stream, nextFemale, femaleWidth, r);
        if (!sexLinked) continue;
        for (int row = 0; row < maleRows; ++row) readPenetranceLine(stream, nextMale, maleWidth, r);
    }
}

void readTwoLocusTrait(LocusText& stream, Locus& locus, int r) {
    RunParameters& run = runParameters;
    if (run.traitLocusCount == 2) {
        inputErrorAt(placeOf(stream), formatMessage("Too many two-locus trait loci: locus no. %d is the third.\n", r));
    }
    // The trait's status and penetrances are read at its second locus, so
    // the table must be given there.
    if (run.traitTableOrdinal != 2) {
        inputErrorAt(
            placeOf(stream),
            formatMessage(
                "The trait table ordinal is %d, but the penetrance table of a two-locus trait must be given at "
                "its second locus (ordinal 2).\n",
                run.traitTableOrdinal));
    }
    run.traitLoci[run.traitLocusCount] = r;
    readGeneFrequencies(stream, locus, r);
    if (run.traitLocusCount + 1 == run.traitTableOrdinal) {
        readLiabilityClassCount(stream, locus, r);
        readPenetrances(stream, locus, r, 3, 3, 2, 2);
    }
    ++run.traitLocusCount;
}

void readLocusDescription(LocusText& stream, int r) {
    Locus& locus = runParameters.loci[r];
    const int typeCode = requireInt(stream, formatMessage("the type of locus no. %d", r));
    allocateOrDie("loci", [&] { stream.descriptionLines.push_back(stream.tokenLine); });
    if (typeCode != 1 && typeCode != 3 && typeCode != 4) {
        inputErrorAt(placeOf(stream), formatMessage("Invalid locus type in locus no. %d.\n", r + 1));
    }
    locus.alleleCount = requireInt(stream, formatMessage("the number of alleles of locus no. %d", r));
    if (locus.alleleCount < 1) {
        inputErrorAt(placeOf(stream),
                     formatMessage("Invalid number of alleles for locus no. %d: %d.\n", r, locus.alleleCount));
    }
    skipRestOfLine(stream);
    if (typeCode == 4) {
        locus.type = LocusType::TwoLocusTrait;
        readTwoLocusTrait(stream, locus, r);
        return;
    }
    readGeneFrequencies(stream, locus, r);
    if (typeCode == 3) {
        locus.type = LocusType::NumberedAlleles;
        return;
    }
    locus.type = LocusType::AffectionStatus;
    readLiabilityClassCount(stream, locus, r);
    readPenetrances(stream, locus, r, 1, 3, 1, 2);
}

void readRecombinationLines(LocusText& stream) {
    requireInt(stream, "the first number of the line after the locus descriptions");
    requireInt(stream, "the second number of the line after the locus descriptions");
    skipRestOfLine(stream);
    for (ThetaPair& pair : runParameters.thetaVals) {
        setTheta(pair, requireReal(stream, "a recombination fraction"));
        checkProbability(stream, pair.theta, "recombination fraction");
        // Above 0.5 the loci would be negatively linked: computable, but
        // more likely a typing error.
        if (pair.theta > 0.5) {
            inputWarningAt(placeOf(stream),
                           formatMessage("the recombination fraction %.15g is above 0.5.", pair.theta));
        }
    }
    skipRestOfLine(stream);
}

void readModeLine(LocusText& stream) {
    RunParameters& run = runParameters;
    run.variedThetaIndex = requireInt(stream, "the index of the varied recombination fraction");
    run.thetaIncrement = requireReal(stream, "the increment of the varied recombination fraction");
    run.thetaStop = requireReal(stream, "the stop value of the varied recombination fraction");
    const int fractions = static_cast<int>(run.thetaVals.size());
    if (run.variedThetaIndex < 1 || run.variedThetaIndex > fractions) {
        inputErrorAt(
            placeOf(stream),
            formatMessage("Invalid index of the varied recombination fraction: %d (the file has %d recombination "
                          "fractions).\n",
                          run.variedThetaIndex, fractions));
    }
    // The LOD-score loop steps from the start value while it is below the
    // stop value; it could never end without a positive step.
    const double start = run.thetaVals[run.variedThetaIndex - 1].theta;
    if (run.programCode == 5 && start != 0.5 && start < run.thetaStop && !(run.thetaIncrement > 0.0)) {
        inputErrorAt(
            placeOf(stream),
            formatMessage(
                "Invalid increment of the varied recombination fraction: %lf (it must be positive when the start "
                "value %lf is below the stop value %lf).\n",
                run.thetaIncrement, start, run.thetaStop));
    }
    checkProbability(stream, run.thetaIncrement, "increment of the varied recombination fraction");
    checkProbability(stream, run.thetaStop, "stop value of the varied recombination fraction");
}

}  // namespace

int readLocusDataFile(std::FILE* file, const char* path, LocusOrderReading orderReading) {
    RunParameters& run = runParameters;
    inputPaths.locusFile = path;
    LocusText stream;
    stream.file = file;
    stream.path = path;
    readFirstLine(stream);
    readSecondLine(stream);
    readOrderLine(stream, orderReading);
    for (int k = 0; k < run.lociCount; ++k) {
        stream.locus = k + 1;
        readLocusDescription(stream, run.lociOrder[k] - 1);
    }
    stream.locus = 0;
    if (run.traitLocusCount == 1) {
        inputErrorAt(
            descriptionPlace(stream, run.traitLoci[0]),
            formatMessage("A two-locus trait needs two loci of type 4, but the file has only one (locus no. %d).\n",
                          run.traitLoci[0]));
    }
    // The network gives the second trait locus's phenotype the first trait
    // locus's allele nodes as parents, which needs the first to lie nearer
    // the start of the map.
    if (run.traitLocusCount == 2 && run.traitLoci[0] > run.traitLoci[1]) {
        inputErrorAt(descriptionPlace(stream, run.traitLoci[0]),
                     formatMessage("The first two-locus trait locus (locus no. %d) must precede the second (locus no. "
                                   "%d) in the locus order.\n",
                                   run.traitLoci[0], run.traitLoci[1]));
    }
    readRecombinationLines(stream);
    if (run.programCode == 4 || run.programCode == 5) readModeLine(stream);
    return run.programCode;
}

}  // namespace pedlik

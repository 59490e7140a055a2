#include "oracle/file_writers.hpp"

#include <charconv>
#include <stdexcept>
#include <vector>

namespace pedlik::oracle {

namespace {

enum class Dialect { Pedlik, Linkage };

int typeCode(LocusKind kind) {
    switch (kind) {
        case LocusKind::AffectionStatus:
            return 1;
        case LocusKind::NumberedAlleles:
            return 3;
        case LocusKind::TwoLocusTrait:
            return 4;
    }
    return 0;
}

std::string joinReals(const std::vector<double>& values, size_t begin, size_t end) {
    std::string text;
    for (size_t i = begin; i < end; ++i) text += (i == begin ? "" : " ") + formatReal(values[i]);
    return text;
}

// Lines of the liability class block: per class the female rows of three
// (one for an affection locus, three for a trait table), then in sex-linked
// data the male rows of two. Only the last line may carry a comment, since
// the reader skips blanks between rows but not text.
void appendPenetrances(std::string& text, const LocusModel& locus, bool sexLinked) {
    const size_t femaleWidth = 3;
    const size_t maleWidth = 2;
    std::vector<std::string> lines;
    for (int c = 0; c < locus.liabilityClassCount(); ++c) {
        const std::vector<double>& female = locus.femalePenetrances[c];
        for (size_t row = 0; row < female.size(); row += femaleWidth) {
            lines.push_back(joinReals(female, row, row + femaleWidth));
        }
        if (!sexLinked) continue;
        const std::vector<double>& male = locus.malePenetrances[c];
        for (size_t row = 0; row < male.size(); row += maleWidth)
            lines.push_back(joinReals(male, row, row + maleWidth));
    }
    lines.back() += " << PENETRANCES";
    for (const std::string& line : lines) text += line + "\n";
}

void appendLocusDescription(std::string& text, const Dataset& dataset, int r, bool carriesTraitTable) {
    const LocusModel& locus = dataset.loci[r];
    text += std::to_string(typeCode(locus.kind)) + " " + std::to_string(locus.alleleCount()) +
            " << LOCUS TYPE, NO. OF ALLELES\n";
    text += joinReals(locus.frequencies, 0, locus.frequencies.size()) + " << GENE FREQUENCIES\n";
    if (locus.kind == LocusKind::NumberedAlleles) return;
    if (locus.kind == LocusKind::TwoLocusTrait && !carriesTraitTable) return;
    text += std::to_string(locus.liabilityClassCount()) + " << NO. OF LIABILITY CLASSES\n";
    appendPenetrances(text, locus, dataset.sexLinked);
}

std::string locusFile(const Dataset& dataset) {
    validateDataset(dataset);
    const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset);
    const int lociCount = static_cast<int>(dataset.loci.size());
    std::string text = std::to_string(lociCount) + " 0 " + (dataset.sexLinked ? "1" : "0") + " " +
                       std::to_string(dataset.programCode) + " " + (trait ? "2" : "0") +
                       " << NO. OF LOCI, RISK LOCUS, SEXLINKED (IF 1), PROGRAM, TRAIT TABLE\n";
    text += "0 0.0 0.0 0 << MUT LOCUS, MUT MALE, MUT FEM, HAP FREQ (IF 1)\n";
    // Nothing may follow the order line's numbers: its reader discards a
    // single character after them.
    for (int k = 0; k < lociCount; ++k) text += (k == 0 ? "" : " ") + std::to_string(dataset.order[k]);
    text += "\n";
    for (int k = 0; k < lociCount; ++k) {
        const int r = dataset.order[k] - 1;
        appendLocusDescription(text, dataset, r, trait && r == trait->second);
    }
    text += "0 0 << SEX DIFFERENCE, INTERFERENCE (IF 1 OR 2)\n";
    text += joinReals(dataset.thetas, 0, dataset.thetas.size()) + " << RECOMBINATION VALUES\n";
    if (dataset.programCode == 4 || dataset.programCode == 5) {
        text += std::to_string(dataset.variedThetaIndex) + " " + formatReal(dataset.thetaIncrement) + " " +
                formatReal(dataset.thetaStop) + " << REC VARIED, INCREMENT, FINISHING VALUE\n";
    }
    return text;
}

// 1-based line position of the first person after `after` for whom `match`
// holds, 0 for none.
template <typename Match>
int nextPosition(const PedigreeRecord& pedigree, int after, Match match) {
    for (int c = after + 1; c < static_cast<int>(pedigree.persons.size()); ++c) {
        if (match(pedigree.persons[c])) return c + 1;
    }
    return 0;
}

std::string phenotypeGroup(const Dataset& dataset, int r, const PersonRecord& person, Dialect dialect,
                           const std::optional<std::pair<int, int>>& trait) {
    const LocusModel& locus = dataset.loci[r];
    const Phenotype& phenotype = person.phenotypes[r];
    if (locus.kind == LocusKind::NumberedAlleles) {
        int second = phenotype.allele2;
        if (dataset.sexLinked && person.isMale && dialect == Dialect::Linkage) second = phenotype.allele1;
        return "  " + std::to_string(phenotype.allele1) + " " + std::to_string(second);
    }
    if (locus.kind == LocusKind::TwoLocusTrait && r != trait->second) return "";
    std::string group = "  " + std::to_string(phenotype.affection);
    if (locus.liabilityClassCount() > 1) group += " " + std::to_string(phenotype.liabilityClass);
    return group;
}

std::string pedigreeFile(const Dataset& dataset, Dialect dialect) {
    validateDataset(dataset);
    const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset);
    std::string text;
    for (const PedigreeRecord& pedigree : dataset.pedigrees) {
        for (int j = 0; j < static_cast<int>(pedigree.persons.size()); ++j) {
            const PersonRecord& person = pedigree.persons[j];
            const int firstChild =
                nextPosition(pedigree, -1, [j](const PersonRecord& c) { return c.father == j || c.mother == j; });
            const int nextPaternal = person.father < 0 ? 0 : nextPosition(pedigree, j, [&](const PersonRecord& c) {
                return c.father == person.father;
            });
            const int nextMaternal = person.mother < 0 ? 0 : nextPosition(pedigree, j, [&](const PersonRecord& c) {
                return c.mother == person.mother;
            });
            text += std::to_string(pedigree.id) + " " + std::to_string(j + 1) + " " +
                    std::to_string(person.father + 1) + " " + std::to_string(person.mother + 1) + " " +
                    std::to_string(firstChild) + " " + std::to_string(nextPaternal) + " " +
                    std::to_string(nextMaternal) + " " + (person.isMale ? "1" : "2") + " 0";
            for (int r : dataset.order) text += phenotypeGroup(dataset, r - 1, person, dialect, trait);
            text += "\n";
        }
    }
    return text;
}

void requireLinkageCompatible(const Dataset& dataset) {
    for (size_t k = 0; k < dataset.order.size(); ++k) {
        const int target = dataset.order[k] - 1;
        if (target < 0 || target >= static_cast<int>(dataset.order.size()) ||
            dataset.order[target] != static_cast<int>(k) + 1) {
            throw std::invalid_argument("FASTLINK reads the order line inversely: only self-inverse orders agree");
        }
    }
    if (findTraitLoci(dataset)) throw std::invalid_argument("FASTLINK has no two-locus trait");
}

}  // namespace

std::string formatReal(double value) {
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    // Some readers want a real to look like one.
    if (text.find('.') == std::string::npos) text += ".0";
    return text;
}

std::string toPedlikLocusFile(const Dataset& dataset) { return locusFile(dataset); }

std::string toPedlikPedigreeFile(const Dataset& dataset) { return pedigreeFile(dataset, Dialect::Pedlik); }

std::string toLinkageLocusFile(const Dataset& dataset) {
    requireLinkageCompatible(dataset);
    return locusFile(dataset);
}

std::string toLinkagePedigreeFile(const Dataset& dataset) {
    requireLinkageCompatible(dataset);
    return pedigreeFile(dataset, Dialect::Linkage);
}

}  // namespace pedlik::oracle

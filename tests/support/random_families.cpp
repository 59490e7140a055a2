#include "support/random_families.hpp"

#include <algorithm>
#include <numeric>

namespace pedlik::testing {

namespace {

int randomIndex(std::mt19937& rng, int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); }

bool chance(std::mt19937& rng, double share) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < share; }

// 1-based index of a random earlier person of the given sex, 0 when none.
int randomMemberOfSex(std::mt19937& rng, const Family& family, bool female) {
    std::vector<int> candidates;
    for (int i = 0; i < static_cast<int>(family.size()); ++i) {
        if (family[i].female == female) candidates.push_back(i + 1);
    }
    return candidates.empty() ? 0 : candidates[randomIndex(rng, static_cast<int>(candidates.size()))];
}

int transmitted(std::mt19937& rng, const FamilyMember& parent, int marker) {
    const auto [fromFather, fromMother] = parent.alleles[marker];
    if (fromFather == 0) return fromMother;  // a sex-linked male's only allele
    return chance(rng, 0.5) ? fromFather : fromMother;
}

void drawAlleles(std::mt19937& rng, FamilyMember& member, const Family& family, const std::vector<int>& alleleCounts,
                 bool sexLinked, double typedShare) {
    for (int m = 0; m < static_cast<int>(alleleCounts.size()); ++m) {
        const auto founderAllele = [&] { return 1 + randomIndex(rng, alleleCounts[m]); };
        const bool hemizygous = sexLinked && !member.female;
        int fromMother = member.mother ? transmitted(rng, family[member.mother - 1], m) : founderAllele();
        int fromFather = 0;
        if (!hemizygous) fromFather = member.father ? transmitted(rng, family[member.father - 1], m) : founderAllele();
        member.alleles.emplace_back(fromFather, fromMother);
        member.typed.push_back(chance(rng, typedShare));
    }
}

void addMember(std::mt19937& rng, Family& family, FamilyMember member, const std::vector<int>& alleleCounts,
               bool sexLinked, double typedShare) {
    drawAlleles(rng, member, family, alleleCounts, sexLinked, typedShare);
    family.push_back(member);
}

}  // namespace

Family randomConnectedFamily(std::mt19937& rng, int size, const std::vector<int>& alleleCounts, bool sexLinked,
                             double typedShare) {
    Family family;
    addMember(rng, family, FamilyMember{0, 0, false, {}, {}}, alleleCounts, sexLinked, typedShare);
    addMember(rng, family, FamilyMember{0, 0, true, {}, {}}, alleleCounts, sexLinked, typedShare);
    addMember(rng, family, FamilyMember{1, 2, chance(rng, 0.5), {}, {}}, alleleCounts, sexLinked, typedShare);
    while (static_cast<int>(family.size()) < size) {
        FamilyMember child{0, 0, chance(rng, 0.5), {}, {}};
        if (static_cast<int>(family.size()) + 2 <= size && chance(rng, 0.3)) {
            const bool spouseFemale = chance(rng, 0.5);
            addMember(rng, family, FamilyMember{0, 0, spouseFemale, {}, {}}, alleleCounts, sexLinked, typedShare);
            const int spouse = static_cast<int>(family.size());
            const int partner = randomMemberOfSex(rng, family, !spouseFemale);
            child.father = spouseFemale ? partner : spouse;
            child.mother = spouseFemale ? spouse : partner;
        } else {
            child.father = randomMemberOfSex(rng, family, false);
            child.mother = randomMemberOfSex(rng, family, true);
        }
        addMember(rng, family, child, alleleCounts, sexLinked, typedShare);
    }
    return family;
}

std::string pedigreeLines(std::mt19937& rng, const std::vector<Family>& families, int pedigreeId) {
    Family all;
    for (const Family& family : families) {
        const int offset = static_cast<int>(all.size());
        for (FamilyMember member : family) {
            if (member.father) member.father += offset;
            if (member.mother) member.mother += offset;
            all.push_back(member);
        }
    }
    const int count = static_cast<int>(all.size());
    std::vector<int> lineOf(count + 1, 0);  // 1-based member index -> line, 0 stays 0
    std::vector<int> lines(count);
    std::iota(lines.begin(), lines.end(), 1);
    std::shuffle(lines.begin(), lines.end(), rng);
    for (int i = 0; i < count; ++i) lineOf[i + 1] = lines[i];

    std::vector<int> firstChild(count + 1, 0), nextPaternal(count + 1, 0), nextMaternal(count + 1, 0);
    for (int parent = 1; parent <= count; ++parent) {
        std::vector<int> children;
        for (int i = 1; i <= count; ++i) {
            if (all[i - 1].father == parent || all[i - 1].mother == parent) children.push_back(i);
        }
        std::shuffle(children.begin(), children.end(), rng);
        std::vector<int>& next = all[parent - 1].female ? nextMaternal : nextPaternal;
        for (size_t k = 0; k < children.size(); ++k) next[children[k]] = k + 1 < children.size() ? children[k + 1] : 0;
        firstChild[parent] = children.empty() ? 0 : children.front();
    }

    std::vector<std::string> text(count + 1);
    for (int i = 1; i <= count; ++i) {
        const FamilyMember& member = all[i - 1];
        std::string line = std::to_string(pedigreeId) + " " + std::to_string(lineOf[i]);
        for (int link : {member.father, member.mother, firstChild[i], nextPaternal[i], nextMaternal[i]}) {
            line += " " + std::to_string(lineOf[link]);
        }
        line += member.female ? " 2 0" : " 1 0";
        for (size_t m = 0; m < member.alleles.size(); ++m) {
            const auto [fromFather, fromMother] = member.alleles[m];
            if (!member.typed[m]) {
                line += "  0 0";
            } else {
                line += "  " + std::to_string(fromFather == 0 ? fromMother : fromFather) + " " + std::to_string(fromMother);
            }
        }
        text[lineOf[i]] = line + "\n";
    }
    std::string result;
    for (int line = 1; line <= count; ++line) result += text[line];
    return result;
}

}  // namespace pedlik::testing

#include "oracle/dataset.hpp"

#include <algorithm>
#include <charconv>
#include <numeric>

namespace pedlik::oracle {

namespace {

// In thousandths summing to exactly 1, so that they read back exactly.
std::vector<double> frequencies(Random& random, int alleles) {
    std::vector<int> weights(alleles);
    for (int& weight : weights) weight = random.between(10, 100);
    const int total = std::accumulate(weights.begin(), weights.end(), 0);
    std::vector<double> result;
    int left = 1000;
    for (int a = 0; a + 1 < alleles; ++a) left -= weights[a] * 1000 / total, result.push_back(weights[a] * 1000 / total / 1000.0);
    result.push_back(left / 1000.0);
    return result;
}

LocusModel locus(Random& random, LocusKind kind, int alleles, int classes, bool sexLinked) {
    LocusModel model{kind, frequencies(random, alleles), {}, {}};
    const int width = kind == LocusKind::AffectionStatus ? 3 : 9;
    for (int c = 0; c < classes; ++c) {
        auto& female = model.femalePenetrances.emplace_back(width);
        for (double& p : female) p = random.withEnds(10, 1000);
        if (!sexLinked) continue;
        auto& male = model.malePenetrances.emplace_back(width == 3 ? 2 : 4);
        for (double& p : male) p = random.withEnds(10, 1000);
    }
    return model;
}

// A few values, the stop half an increment past the last.
void chooseModeLine(Dataset& dataset, Random& random) {
    dataset.variedThetaIndex = random.between(1, static_cast<int>(dataset.thetas.size()));
    const double start = dataset.thetas[dataset.variedThetaIndex - 1];
    dataset.thetaIncrement = random.between(1, 20) / 100.0;
    int values = random.between(1, 3);
    while (values > 1 && start + (values - 1) * dataset.thetaIncrement > 0.5) --values;
    dataset.thetaStop = start + (values - 0.5) * dataset.thetaIncrement;
}

// Every person after its parents.
std::vector<int> parentsFirst(const PedigreeRecord& pedigree) {
    std::vector<int> order;
    std::vector<bool> placed(pedigree.persons.size());
    const auto place = [&](auto& self, int j) -> void {
        if (j < 0 || placed[j]) return;
        placed[j] = true;
        self(self, pedigree.persons[j].father);
        self(self, pedigree.persons[j].mother);
        order.push_back(j);
    };
    for (int j = 0; j < static_cast<int>(placed.size()); ++j) place(place, j);
    return order;
}

int drawAllele(Random& random, const std::vector<double>& frequencies) {
    double u = random.unit();
    for (int a = 0; a + 1 < static_cast<int>(frequencies.size()); ++a) {
        if ((u -= frequencies[a]) < 0) return a;
    }
    return static_cast<int>(frequencies.size()) - 1;
}

// Genes dropped from the founders under the dataset's own model, then
// observed: consistent data of positive likelihood, unless `truthful` is
// false and phenotypes are drawn at random instead (often inconsistent).
void dropGenes(const Dataset& d, PedigreeRecord& pedigree, Random& random, bool everyLocus, bool truthful = true) {
    const int n = static_cast<int>(pedigree.persons.size()), loci = static_cast<int>(d.loci.size());
    std::vector<std::vector<int>> pat(n, std::vector<int>(loci)), mat = pat;
    for (int j : parentsFirst(pedigree)) {
        const PersonRecord& person = pedigree.persons[j];
        int fromFather = random.below(2), fromMother = random.below(2);
        for (int r = 0; r < loci; ++r) {
            if (r > 0 && random.chance(d.thetas[r - 1])) fromFather ^= 1;
            if (r > 0 && random.chance(d.thetas[r - 1])) fromMother ^= 1;
            if (person.father < 0) {
                pat[j][r] = drawAllele(random, d.loci[r].frequencies);
                mat[j][r] = drawAllele(random, d.loci[r].frequencies);
                continue;
            }
            const int f = person.father, m = person.mother;
            pat[j][r] = d.sexLinked ? mat[f][r] : fromFather ? pat[f][r] : mat[f][r];
            mat[j][r] = fromMother ? pat[m][r] : mat[m][r];
        }
    }
    const auto trait = findTraitLoci(d);
    const double markerRate = 0.4 + 0.5 * random.unit(), statusRate = 0.4 + 0.5 * random.unit();
    for (int r = 0; r < loci; ++r) {
        const LocusModel& locus = d.loci[r];
        if (locus.kind == LocusKind::TwoLocusTrait && r != trait->second) continue;
        const bool marker = locus.kind == LocusKind::NumberedAlleles;
        bool anyone = false;
        const auto observe = [&](int j, bool forced) {
            PersonRecord& person = pedigree.persons[j];
            Phenotype& ph = person.phenotypes[r];
            const bool hemi = d.sexLinked && person.isMale;
            const int p = pat[j][r], m = mat[j][r];
            if (!marker && !forced) ph.liabilityClass = random.between(1, locus.liabilityClassCount());
            if (!forced && !random.chance(marker ? markerRate : statusRate)) return;
            anyone = true;
            if (marker) {
                const bool swap = random.chance(0.5);
                const int a = truthful ? p : random.below(locus.alleleCount()), b = truthful ? m : random.below(locus.alleleCount());
                ph = hemi ? Phenotype{b + 1, 0} : Phenotype{(swap ? b : a) + 1, (swap ? a : b) + 1};
                return;
            }
            const int c = ph.liabilityClass - 1;
            double penetrance = hemi ? locus.malePenetrances[c][m] : locus.femalePenetrances[c][p + m];
            if (locus.kind == LocusKind::TwoLocusTrait) {
                const int f = trait->first;
                penetrance = hemi ? locus.malePenetrances[c][mat[j][f] * 2 + m]
                                  : locus.femalePenetrances[c][(pat[j][f] + mat[j][f]) * 3 + p + m];
            }
            ph.affection = random.chance(truthful ? penetrance : 0.5) ? 2 : 1;
        };
        for (int j = 0; j < n; ++j) observe(j, false);
        if (everyLocus && !anyone) observe(random.below(n), true);
    }
}

PersonRecord newPerson(const Dataset& d, int father, int mother, bool isMale) {
    return {father, mother, isMale, std::vector<Phenotype>(d.loci.size())};
}

// Each person a founder or the child of any earlier man and woman: this makes
// loops, half-sibs, childless founders and unconnected families.
std::vector<PersonRecord> tinyFamily(const Dataset& d, Random& random, int size) {
    std::vector<PersonRecord> persons;
    std::vector<int> men, women;
    for (int j = 0; j < size; ++j) {
        const bool isMale = j == 0 || (j > 1 && random.chance(0.5));
        const bool founder = men.empty() || women.empty() || random.chance(0.3);
        persons.push_back(newPerson(d, founder ? -1 : men[random.below(static_cast<int>(men.size()))],
                                    founder ? -1 : women[random.below(static_cast<int>(women.size()))], isMale));
        (isMale ? men : women).push_back(j);
    }
    if (random.chance(0.5)) return persons;
    std::vector<int> position(size);
    std::iota(position.begin(), position.end(), 0);
    std::shuffle(position.begin(), position.end(), random.engine);
    std::vector<PersonRecord> shuffled(size);
    for (int j = 0; j < size; ++j) {
        PersonRecord person = persons[j];
        if (person.father >= 0) person.father = position[person.father], person.mother = position[person.mother];
        shuffled[position[j]] = person;
    }
    return shuffled;
}

// A founder couple, then marriages of earlier generations to new founders or
// to an earlier spouse, each with children: no loops, parents first.
std::vector<PersonRecord> grownFamily(const Dataset& d, Random& random, int size, int generations) {
    std::vector<PersonRecord> persons{newPerson(d, -1, -1, true), newPerson(d, -1, -1, false),
                                      newPerson(d, 0, 1, random.chance(0.5))};
    std::vector<int> level{0, 0, 1}, spouse{1, 0, -1};
    while (static_cast<int>(persons.size()) < size) {
        const int x = random.below(static_cast<int>(persons.size()));
        if (level[x] + 1 >= generations) continue;
        const int room = size - static_cast<int>(persons.size());
        if (room >= 2 && (spouse[x] < 0 || random.chance(0.4))) {
            spouse[x] = static_cast<int>(persons.size());
            persons.push_back(newPerson(d, -1, -1, !persons[x].isMale));
            level.push_back(level[x]);
            spouse.push_back(x);
        } else if (spouse[x] < 0) {
            continue;
        }
        const int father = persons[x].isMale ? x : spouse[x], mother = persons[x].isMale ? spouse[x] : x;
        for (int c = random.between(1, std::min(3, size - static_cast<int>(persons.size()))); c > 0; --c) {
            persons.push_back(newPerson(d, father, mother, random.chance(0.5)));
            level.push_back(level[x] + 1);
            spouse.push_back(-1);
        }
    }
    return persons;
}

std::string real(double value) {
    char buffer[64];
    std::string text(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr);
    return text.find('.') == std::string::npos ? text + ".0" : text;
}

std::string reals(const std::vector<double>& values, size_t begin, size_t end) {
    std::string text;
    for (size_t i = begin; i < end; ++i) text.append(i == begin ? "" : " ").append(real(values[i]));
    return text;
}

std::string pedigreeFile(const Dataset& d, bool linkage, bool preMakeped = false) {
    const auto trait = findTraitLoci(d);
    std::string text;
    for (const PedigreeRecord& pedigree : d.pedigrees) {
        const int n = static_cast<int>(pedigree.persons.size());
        const auto next = [&](int after, auto match) {
            for (int c = after + 1; c < n; ++c) {
                if (match(pedigree.persons[c])) return c + 1;
            }
            return 0;
        };
        for (int j = 0; j < n; ++j) {
            const PersonRecord& p = pedigree.persons[j];
            // Pre-makeped numbers run down from 1000 + 7n, so neither equal nor ordered as the line positions.
            const auto id = [n](int at) { return at < 0 ? 0 : 1000 + 7 * (n - at); };
            const std::vector<int> links =
                preMakeped ? std::vector<int>{id(j), id(p.father), id(p.mother), p.isMale ? 1 : 2}
                           : std::vector<int>{j + 1, p.father + 1, p.mother + 1,
                                              next(-1, [j](const PersonRecord& c) { return c.father == j || c.mother == j; }),
                                              p.father < 0 ? 0 : next(j, [&](const PersonRecord& c) { return c.father == p.father; }),
                                              p.mother < 0 ? 0 : next(j, [&](const PersonRecord& c) { return c.mother == p.mother; }),
                                              p.isMale ? 1 : 2, p.loopBreaker};
            text += std::to_string(pedigree.id);
            for (int link : links) text.append(" ").append(std::to_string(link));
            for (int k : d.order) {
                const int r = k - 1;
                const Phenotype& ph = p.phenotypes[r];
                const LocusModel& locus = d.loci[r];
                if (locus.kind == LocusKind::NumberedAlleles) {
                    const int second = linkage && d.sexLinked && p.isMale ? ph.allele1 : ph.allele2;
                    text.append("  ").append(std::to_string(ph.allele1)).append(" ").append(std::to_string(second));
                } else if (locus.kind == LocusKind::AffectionStatus || r == trait->second) {
                    text.append("  ").append(std::to_string(ph.affection));
                    if (locus.liabilityClassCount() > 1) text.append(" ").append(std::to_string(ph.liabilityClass));
                }
            }
            text += "\n";
        }
    }
    return text;
}

}  // namespace

std::optional<std::pair<int, int>> findTraitLoci(const Dataset& dataset) {
    std::vector<int> found;
    for (int k : dataset.order) {
        if (dataset.loci[k - 1].kind == LocusKind::TwoLocusTrait) found.push_back(k - 1);
    }
    if (found.size() != 2) return std::nullopt;
    return std::make_pair(found[0], found[1]);
}

std::vector<double> lodScoreThetas(const Dataset& dataset) {
    const double start = dataset.thetas.at(dataset.variedThetaIndex - 1);
    std::vector<double> values{0.5};
    for (double theta = start; start != 0.5 && (values.size() == 1 || theta < dataset.thetaStop);
         theta += dataset.thetaIncrement) {
        values.push_back(theta);
    }
    return values;
}

Dataset withVariedTheta(Dataset dataset, double theta) {
    dataset.thetas.at(dataset.variedThetaIndex - 1) = theta;
    return dataset;
}

Dataset withRigidModel(Dataset dataset) {
    if (!dataset.thetas.empty()) dataset.thetaStop -= dataset.thetas.at(dataset.variedThetaIndex - 1);
    dataset.thetas.assign(dataset.thetas.size(), 0.0);
    for (LocusModel& locus : dataset.loci) {
        for (auto* table : {&locus.femalePenetrances, &locus.malePenetrances}) {
            for (auto& row : *table) {
                for (double& p : row) p = p < 0.5 ? 0.0 : 1.0;
            }
        }
    }
    return dataset;
}

Dataset onlyLocus(const Dataset& dataset, int locus) {
    Dataset part = dataset;
    part.programCode = 6;
    part.loci = {dataset.loci[locus]};
    part.order = {1};
    part.thetas.clear();
    for (PedigreeRecord& pedigree : part.pedigrees) {
        for (PersonRecord& person : pedigree.persons) person.phenotypes = {person.phenotypes[locus]};
    }
    return part;
}

Dataset handDataset(std::vector<LocusModel> loci, std::vector<double> thetas,
                    std::vector<std::vector<PersonRecord>> pedigrees, bool sexLinked) {
    Dataset d;
    d.sexLinked = sexLinked;
    d.programCode = 6;
    d.loci = std::move(loci);
    d.thetas = std::move(thetas);
    for (size_t r = 1; r <= d.loci.size(); ++r) d.order.push_back(static_cast<int>(r));
    for (auto& persons : pedigrees) d.pedigrees.push_back({static_cast<int>(d.pedigrees.size()) + 1, std::move(persons)});
    return d;
}

Dataset randomTinyDataset(std::uint64_t seed, const TinyOptions& options) {
    Random random{std::mt19937_64(seed)};
    Dataset d;
    d.sexLinked = options.sexLinked.value_or(random.chance(0.3));
    const int loci = random.between(options.minLoci, options.maxLoci);
    int first = -1, second = -1;
    if (loci >= 2 && random.chance(0.35)) {
        first = random.below(loci - 1);
        second = random.between(first + 1, loci - 1);
    }
    for (int r = 0; r < loci; ++r) {
        const int classes = random.between(1, 3);
        if (r == first) {
            d.loci.push_back({LocusKind::TwoLocusTrait, frequencies(random, 2), {}, {}});
        } else if (r == second) {
            d.loci.push_back(locus(random, LocusKind::TwoLocusTrait, 2, classes, d.sexLinked));
        } else if (random.chance(0.35)) {
            d.loci.push_back(locus(random, LocusKind::AffectionStatus, 2, classes, d.sexLinked));
        } else {
            d.loci.push_back(locus(random, LocusKind::NumberedAlleles, random.between(2, 4), 0, false));
        }
    }
    d.order.resize(loci);
    std::iota(d.order.begin(), d.order.end(), 1);
    for (int k = loci - 1; k > 0; --k) std::swap(d.order[k], d.order[random.below(k + 1)]);
    if (first >= 0) {
        // The table belongs to the second trait locus in file order.
        const auto at = [&](int r) { return std::find(d.order.begin(), d.order.end(), r + 1); };
        if (at(first) > at(second)) std::iter_swap(at(first), at(second));
    }
    for (int i = 0; i + 1 < loci; ++i) d.thetas.push_back(random.withEnds(8, 500));
    d.programCode = loci == 1 ? 6 : 5;
    if (loci > 1) chooseModeLine(d, random);
    // Now and then a stop at the start value, which still gives that value.
    if (loci > 1 && d.thetaIncrement > 0.185) d.thetaStop = d.thetas[d.variedThetaIndex - 1];
    for (int p = random.between(1, options.maxPedigrees); p > 0; --p) {
        PedigreeRecord& pedigree = d.pedigrees.emplace_back();
        pedigree.id = static_cast<int>(d.pedigrees.size());
        pedigree.persons = tinyFamily(d, random, random.between(1, options.maxPersons));
        dropGenes(d, pedigree, random, false, options.geneDropped);
    }
    return d;
}

Dataset withLoopsBroken(Dataset d) {
    for (PedigreeRecord& pedigree : d.pedigrees) {
        const int n = static_cast<int>(pedigree.persons.size());
        for (int j = 0, code = 2; j < n && code <= 3; ++j) {
            PersonRecord& person = pedigree.persons[j];
            const auto isChild = [j](const PersonRecord& c) { return c.father == j || c.mother == j; };
            if (person.father < 0 || std::none_of(pedigree.persons.begin(), pedigree.persons.end(), isChild)) continue;
            // The first loop's copy is a founder with the children; the second's keeps the parents instead.
            const bool copyTakesChildren = code == 2;
            person.loopBreaker = code++;
            PersonRecord copy = person;
            PersonRecord& founder = copyTakesChildren ? copy : person;
            founder.father = founder.mother = -1;
            const int at = static_cast<int>(pedigree.persons.size());
            for (PersonRecord& child : pedigree.persons) {
                if (copyTakesChildren && child.father == j) child.father = at;
                if (copyTakesChildren && child.mother == j) child.mother = at;
            }
            pedigree.persons.push_back(copy);
        }
    }
    return d;
}

Dataset geneDroppedDataset(std::uint64_t seed, const GeneDropOptions& options) {
    Random random{std::mt19937_64(seed)};
    Dataset d;
    d.sexLinked = random.chance(0.3);
    const int loci = random.between(options.minMarkers, options.maxMarkers) + 1;
    const int affection = random.below(loci);
    std::vector<int> alleles(loci, 2);
    for (int r = 0; r < loci; ++r) {
        if (r != affection) alleles[r] = random.between(2, options.maxAlleles);
    }
    while (std::accumulate(alleles.begin(), alleles.end(), 1, std::multiplies<>()) > 300) --*std::max_element(alleles.begin(), alleles.end());
    const int classes = random.between(1, 3);
    for (int r = 0; r < loci; ++r) {
        d.loci.push_back(r == affection ? locus(random, LocusKind::AffectionStatus, 2, classes, d.sexLinked)
                                        : locus(random, LocusKind::NumberedAlleles, alleles[r], 0, false));
        d.order.push_back(r + 1);
        if (r > 0) d.thetas.push_back(random.between(1, 500) / 1000.0);
    }
    chooseModeLine(d, random);
    for (int p = random.between(options.minPedigrees, options.maxPedigrees); p > 0; --p) {
        PedigreeRecord& pedigree = d.pedigrees.emplace_back();
        pedigree.id = static_cast<int>(d.pedigrees.size());
        pedigree.persons =
            grownFamily(d, random, random.between(options.minPersons, options.maxPersons), random.between(2, 4));
        dropGenes(d, pedigree, random, true);
    }
    return d;
}

std::string toPedlikLocusFile(const Dataset& d) {
    const auto trait = findTraitLoci(d);
    std::string text = std::to_string(d.loci.size()) + " 0 " + (d.sexLinked ? "1 " : "0 ") +
                       std::to_string(d.programCode) + (trait ? " 2" : " 0") + " << LOCI, RISK, SEXLINKED, PROGRAM\n";
    text += "0 0.0 0.0 0 << MUTATION\n";
    for (int k : d.order) text.append(k == d.order[0] ? "" : " ").append(std::to_string(k));
    text += "\n";  // the reader drops one character after the order line's numbers
    for (int k : d.order) {
        const LocusModel& locus = d.loci[k - 1];
        const int type = locus.kind == LocusKind::AffectionStatus ? 1 : locus.kind == LocusKind::NumberedAlleles ? 3 : 4;
        text += std::to_string(type) + " " + std::to_string(locus.alleleCount()) + " << TYPE, ALLELES\n";
        text += reals(locus.frequencies, 0, locus.frequencies.size()) + " << FREQUENCIES\n";
        if (locus.femalePenetrances.empty()) continue;
        text += std::to_string(locus.liabilityClassCount()) + " << CLASSES\n";
        for (int c = 0; c < locus.liabilityClassCount(); ++c) {
            for (size_t row = 0; row < locus.femalePenetrances[c].size(); row += 3) text += reals(locus.femalePenetrances[c], row, row + 3) + "\n";
            for (size_t row = 0; d.sexLinked && row < locus.malePenetrances[c].size(); row += 2) text += reals(locus.malePenetrances[c], row, row + 2) + "\n";
        }
    }
    text += "0 0 << SEX DIFFERENCE, INTERFERENCE\n" + reals(d.thetas, 0, d.thetas.size()) + " << FRACTIONS\n";
    if (d.programCode == 4 || d.programCode == 5) {
        text += std::to_string(d.variedThetaIndex) + " " + real(d.thetaIncrement) + " " + real(d.thetaStop) +
                " << VARIED, INCREMENT, STOP\n";
    }
    return text;
}

std::string toPedlikPedigreeFile(const Dataset& dataset) { return pedigreeFile(dataset, false); }

std::string toLinkagePedigreeFile(const Dataset& dataset) { return pedigreeFile(dataset, true); }

std::string toPreMakepedPedigreeFile(const Dataset& dataset) { return pedigreeFile(dataset, false, true); }

}  // namespace pedlik::oracle

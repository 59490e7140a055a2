#include "driver/part_merge.hpp"

#include <map>
#include <tuple>

#include "base/allocation.hpp"
#include "base/errors.hpp"
#include "driver/lod_report.hpp"
#include "driver/trimmed_products.hpp"
#include "product/elimination.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

namespace {

using UnitKey = std::tuple<int, int, int>;  // value, pedigree, branch

// Names at most this many missing or duplicated units, then counts the rest.
constexpr std::size_t namedAtMost = 20;
// More values than any variable has: a count beyond it comes from an altered file.
constexpr int maxBranches = 1 << 20;

bool sameValues(const std::vector<PartValue>& a, const std::vector<PartValue>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t v = 0; v < a.size(); ++v) {
        if (a[v].theta != b[v].theta || a[v].built != b[v].built || a[v].total != b[v].total || a[v].shares != b[v].shares) {
            return false;
        }
    }
    return true;
}

// Why the records are not parts of one split of one problem, or empty.
std::string differentProblems(const std::vector<PartRecord>& records, const std::vector<std::string>& names) {
    const PartRecord& first = records.front();
    for (std::size_t k = 1; k < records.size(); ++k) {
        const PartRecord& other = records[k];
        if (other.fingerprint != first.fingerprint || other.pedigreeIds != first.pedigreeIds ||
            !sameValues(other.values, first.values)) {
            return formatMessage("%s and %s are parts of different problems (input files, options or pedlik version)",
                                 names.front().c_str(), names[k].c_str());
        }
        if (other.parts != first.parts) {
            return formatMessage("%s is part of a split into %d parts, %s of one into %d", names.front().c_str(),
                                 first.parts, names[k].c_str(), other.parts);
        }
    }
    return "";
}

void listNames(std::string& message, const char* what, const std::vector<std::string>& units) {
    if (units.empty()) return;
    message.append(formatMessage("%s%zu %s unit%s:", message.empty() ? "" : "; ", units.size(), what,
                                 units.size() == 1 ? "" : "s"));
    for (std::size_t k = 0; k < units.size() && k < namedAtMost; ++k) message.append(k == 0 ? " " : "; ").append(units[k]);
    if (units.size() > namedAtMost) message.append(formatMessage("; and %zu more", units.size() - namedAtMost));
}

struct Collected {
    std::map<std::pair<int, int>, PartGroup> groups;
    std::map<UnitKey, double> units;
    std::vector<std::string> duplicated, misplaced;
};

bool inRange(const PartRecord& record, int value, int pedigree) {
    return value >= 0 && value < static_cast<int>(record.values.size()) && pedigree >= 0 &&
           pedigree < static_cast<int>(record.pedigreeIds.size());
}

Collected collect(const std::vector<PartRecord>& records) {
    const PartRecord& first = records.front();
    Collected found;
    for (const PartRecord& record : records) {
        for (const PartGroup& group : record.groups) {
            const bool valid = inRange(first, group.value, group.pedigree) && group.branches >= 0 &&
                               group.branches <= maxBranches;
            const auto [at, added] = valid ? found.groups.emplace(std::make_pair(group.value, group.pedigree), group)
                                           : std::make_pair(found.groups.end(), false);
            const bool agrees = added || (valid && at->second.branches == group.branches &&
                                          at->second.beforeConditioning == group.beforeConditioning);
            if (!agrees) found.misplaced.push_back(unitName(first, group.value, group.pedigree, -1, 0));
        }
        for (const PartUnit& unit : record.units) {
            const std::string name = unitName(first, unit.value, unit.pedigree, unit.branch, 0);
            if (!inRange(first, unit.value, unit.pedigree) || unit.branch < -1) found.misplaced.push_back(name);
            if (!found.units.emplace(UnitKey{unit.value, unit.pedigree, unit.branch}, unit.logLikelihood).second) {
                found.duplicated.push_back(name);
            }
        }
    }
    return found;
}

// Each pedigree's elimination result at the value, from its units; names
// the units that are missing.
std::vector<double> pedigreeResults(const PartRecord& first, const Collected& found, int value,
                                    std::vector<std::string>& missing, std::size_t& used) {
    std::vector<double> results;
    for (int pedigree = 0; pedigree < static_cast<int>(first.pedigreeIds.size()); ++pedigree) {
        const auto group = found.groups.find({value, pedigree});
        const int branches = first.values[value].built && group != found.groups.end() ? group->second.branches : 0;
        if (first.values[value].built && group == found.groups.end()) {
            missing.push_back(unitName(first, value, pedigree, -1, 0));
            results.push_back(impossibleLogLikelihood);
            continue;
        }
        std::vector<double> branchResults;
        for (int branch = branches == 0 ? -1 : 0; branch < std::max(branches, 0); ++branch) {
            const auto unit = found.units.find({value, pedigree, branch});
            if (unit == found.units.end()) {
                missing.push_back(unitName(first, value, pedigree, branch, branches));
                branchResults.push_back(impossibleLogLikelihood);
            } else {
                branchResults.push_back(unit->second);
                ++used;
            }
        }
        results.push_back(branches == 0 ? branchResults.front()
                                        : conditionedTotal(combineBranches(branchResults), group->second.beforeConditioning));
    }
    return results;
}

// The value's point of the curve as the run measures it: the pedigrees'
// shares where the likelihood is not 0, otherwise each pedigree alone.
void addCurvePoint(MergedRun& merged, const PartValue& value, const std::vector<double>& results) {
    double total = value.built ? value.total : impossibleLogLikelihood;
    std::vector<double> shares = value.shares;
    if (value.built) addPedigreeResults(results, total, shares);
    if (!value.built || likelihoodIsZero(total)) {
        shares = results;
        for (std::size_t p = 0; value.built && p < shares.size(); ++p) {
            const double alone = value.shares[p] + results[p];
            shares[p] = results[p] >= impossibleLogLikelihood && alone >= impossibleLogLikelihood ? alone : impossibleLogLikelihood;
        }
    }
    merged.curve.thetas.push_back(value.theta);
    merged.curve.totals.push_back(total);
    merged.curve.logLikelihoods.push_back(std::move(shares));
}

}  // namespace

MergedRun mergeParts(const std::vector<PartRecord>& records, const std::vector<std::string>& names) {
    return allocateOrDie("merged parts", [&] {
        MergedRun merged;
        if (records.empty()) {
            merged.problem = "no part files to merge";
            return merged;
        }
        merged.problem = differentProblems(records, names);
        if (!merged.problem.empty()) return merged;
        const PartRecord& first = records.front();
        Collected found = collect(records);
        merged.builtAtHalf = first.values.front().built;
        merged.curve.pedigreeIds = first.pedigreeIds;
        std::vector<std::string> missing;
        std::size_t used = 0;
        for (int value = 0; merged.builtAtHalf && value < static_cast<int>(first.values.size()); ++value) {
            addCurvePoint(merged, first.values[value], pedigreeResults(first, found, value, missing, used));
        }
        listNames(merged.problem, "missing", missing);
        listNames(merged.problem, "duplicated", found.duplicated);
        // Units no complete run has come from altered files.
        if (found.units.size() != used && found.misplaced.empty()) {
            allocateOrDie("merged parts", [&] { found.misplaced.push_back("beyond their pedigree's branches"); });
        }
        listNames(merged.problem, "unexpected", found.misplaced);
        if (!merged.problem.empty()) return merged;
        if (merged.builtAtHalf && likelihoodIsZero(merged.curve.totals.front())) merged.curve = LodCurve{first.pedigreeIds, {}, {}, {}};
        return merged;
    });
}

void printMergedReport(const MergedRun& merged) {
    if (!merged.builtAtHalf) {
        printZeroLikelihood();
        return;
    }
    const LodCurve& curve = merged.curve;
    if (curve.thetas.empty()) {
        printValueHeader(true, 0.5);
        printZeroLikelihood();
        return;
    }
    const double base = lodBase(curve.totals.front());
    for (std::size_t value = 0; value < curve.thetas.size(); ++value) {
        printValueHeader(value == 0, curve.thetas[value]);
        if (likelihoodIsZero(curve.totals[value])) {
            printZeroLikelihood();
        } else {
            printValueLines(curve.totals[value], value == 0 ? 0.0 : lodScore(curve.totals[value], base));
        }
    }
}

}  // namespace pedlik

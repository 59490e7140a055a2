#include "ordering/order_search.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "base/allocation.hpp"
#include "base/work_queue.hpp"
#include "ordering/order_choice.hpp"
#include "ordering/order_cost.hpp"
#include "ordering/trimming_probe.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

namespace {

// A small generator written out, so that a seed gives the same orders with
// any standard library.
struct SplitMix {
    std::uint64_t state;

    std::uint64_t next() {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
};

constexpr std::array<double, 4> tableLimits = {2e6, 8e6, 3.2e7, 1.28e8};

// How many of the cheapest candidates a randomised step chooses among;
// each pass draws one. Narrow choices stay close to the greedy order, wide
// ones reach orders it never comes near, and which does better depends on
// the pedigree.
constexpr std::array<int, 4> choiceWidths = {2, 3, 5, 8};
constexpr int widestChoice = *std::max_element(choiceWidths.begin(), choiceWidths.end());

struct Candidates {
    int width = 0;
    std::array<OrderVariable*, widestChoice> variables{};
    std::array<double, widestChoice> weights{};
    std::array<double, widestChoice> costs{};  // what the weights were drawn from, where that was a cost
    int count = 0;

    // Keeps the `width` largest weights, largest first.
    void offer(OrderVariable* variable, double weight, double cost = 0.0) {
        int position = count < width ? count++ : width;
        while (position > 0 && weights[position - 1] < weight) {
            if (position < width) {
                variables[position] = variables[position - 1];
                weights[position] = weights[position - 1];
                costs[position] = costs[position - 1];
            }
            --position;
        }
        if (position < width) {
            variables[position] = variable;
            weights[position] = weight;
            costs[position] = cost;
        }
    }

    OrderVariable* draw(SplitMix& random) const {
        double total = 0.0;
        for (int k = 0; k < count; ++k) total += weights[k];
        double point = random.uniform() * total;
        for (int k = 0; k + 1 < count; ++k) {
            if (point < weights[k]) return variables[k];
            point -= weights[k];
        }
        return variables[count - 1];
    }
};

// The search's own work, in the unit of a variable looked at: it is spent
// against the elimination time it saves.
struct SearchEffort {
    double units = 0.0;
};

// The first slot from `from` on, before `to`, whose cost is unknown or
// below `limit`: the only ones a scan has to look at. Most slots of a long
// search are released or too costly, so they are passed over four at a
// time.
int nextWorthLooking(const double* costs, int from, int to, double limit) {
    for (; from + 4 <= to; from += 4) {
        if ((costs[from] < limit) | (costs[from + 1] < limit) | (costs[from + 2] < limit) | (costs[from + 3] < limit)) {
            break;
        }
    }
    while (from < to && !(costs[from] < limit)) ++from;
    return from;
}

// A step's variable to sum out: a cheap one at once, as the greedy rule
// takes it, otherwise one of the cheapest, the cheaper the likelier.
OrderVariable* drawSummed(TempProd& tempProd, int width, SplitMix& random, SearchEffort& effort) {
    Candidates cheapest{width};
    const int length = static_cast<int>(tempProd.variables.size());
    const int start = tempProd.scanPosition;
    double* const costs = tempProd.scanCosts.data();
    // Once `width` are kept, one no cheaper than the dearest of them cannot
    // enter, and is passed over without working out its weight.
    double limit = std::numeric_limits<double>::max();
    // The slots from the scan position to the end, then from the start.
    for (const auto& [from, to] : {std::pair{start, length}, std::pair{0, start}}) {
        for (int index = nextWorthLooking(costs, from, to, limit); index < to;
             index = nextWorthLooking(costs, index + 1, to, limit)) {
            double& cost = costs[index];
            if (cost == costUnknown) {
                cost = orderCost(tempProd.variables[index]);
                effort.units += tempProd.variables[index].funcCount();
                if (!(cost < limit)) continue;
            }
            if (cost <= takeAtOnceCost) {
                effort.units += (index - start + length) % length + 1;
                tempProd.scanPosition = index + 1 == length ? 0 : index + 1;
                return &tempProd.variables[index];
            }
            cheapest.offer(&tempProd.variables[index], 1.0 / cost, cost);
            if (cheapest.count == width) limit = cheapest.costs[width - 1];
        }
    }
    effort.units += length;
    if (cheapest.count == 0) return nullptr;
    return cheapest.draw(random);
}

// How many of the variables with the largest neighbourhoods a conditioning
// step weighs by the trimming it brings about.
constexpr int conditioningPool = 8;
static_assert(conditioningPool <= widestChoice);

// The variable to condition on. Of the few with the largest neighbourhood
// times the square root of their function counts, the likeliest is the one
// whose branches, after trimming, leave the fewest value combinations: the
// values it removes from every variable (in logarithms) less the branches
// it makes. Without the trimming, a variable of many values that fixes
// little would look as good as one that fixes half the pedigree.
OrderVariable* drawConditioned(TempProd& tempProd, int width, SplitMix& random, SearchEffort& effort,
                               TrimmingProbes& probes, std::vector<int>& probed) {
    Candidates largest{conditioningPool};
    for (OrderVariable& candidate : tempProd.variables) {
        effort.units += 1.0;
        if (!candidate.inUse || candidate.funcs.empty()) continue;
        effort.units += candidate.funcCount();
        largest.offer(&candidate, sumOutEntries(candidate) * std::sqrt(static_cast<double>(candidate.funcCount())));
    }
    Candidates fewest{width};
    for (int k = 0; k < largest.count; ++k) {
        OrderVariable& candidate = *largest.variables[k];
        allocateOrDie("elimArr", [&] { probed.push_back(candidate.sourceSlot); });
        const ConditioningProbe& probe = probes.of(candidate.sourceSlot);
        double removed = -std::log(std::max(1.0, candidate.valueCount * probe.liveShare));
        for (const OrderVariable& other : tempProd.variables) {
            if (other.inUse && &other != &candidate) removed += std::log(other.valueCount / trimmedValueCount(other, probe));
        }
        effort.units += static_cast<double>(tempProd.variables.size());
        // Capped so that the weight stays finite; a gain of e^50 is a sure
        // choice already.
        fewest.offer(&candidate, std::exp(std::min(removed, 50.0)));
    }
    return fewest.count == 0 ? nullptr : fewest.draw(random);
}

// How far an order's tables go past the memory.
double overflow(const OrderCost& cost, const OrderLimits& limits) {
    return std::max(0.0, neededEntries(cost, limits.boundsKeptTables()) - limits.memoryEntries);
}

// An order within the memory beats one past it; otherwise the cheaper wins,
// except that of two bucket trees past it the smaller wins.
bool isBetter(const OrderCost& candidate, const OrderCost& best, const OrderLimits& limits) {
    const bool candidateFits = overflow(candidate, limits) == 0.0, bestFits = overflow(best, limits) == 0.0;
    if (candidateFits != bestFits) return candidateFits;
    // A bucket tree past the memory is the likelier to be allocated the
    // less it needs.
    if (!candidateFits && limits.boundsKeptTables()) return overflow(candidate, limits) < overflow(best, limits);
    return candidate.multiplyAdds < best.multiplyAdds;
}

// One randomised greedy pass; false as soon as it cannot beat `best`.
bool randomisedGreedyOrder(TempProd& tempProd, EliminationOrder& order, SplitMix& random, const OrderLimits& limits,
                           const OrderCost& best, SearchEffort& effort, TrimmingProbes& probes,
                           std::vector<int>& probed) {
    const CostTracking& tracking = tempProd.tracking;
    const double memoryEntries = limits.memoryEntries;
    const bool bestFits = overflow(best, limits) == 0.0;
    // Conditioning late saves copies but keeps every level's tables alive
    // meanwhile; each pass tries one largest table, the memory permitting.
    const double tableLimit = std::min(memoryEntries, tableLimits[random.next() % tableLimits.size()]);
    const int width = choiceWidths[random.next() % choiceWidths.size()];
    while (tempProd.variableCount > 0) {
        OrderVariable* summed = drawSummed(tempProd, width, random, effort);
        if (summed == nullptr) break;
        const double made = sumOutEntries(*summed);
        const double needed =
            limits.keepsTables ? keptWith(tracking, made) : tracking.heldEntries + tracking.ownedEntries + made;
        if (!limits.conditioning || (made < tableLimit && needed <= memoryEntries)) {
            appendOrderEntry(order, {0, summed->node});
            sumOutTemp(tempProd, *summed);
        } else {
            // Conditioned whatever its size when its turn comes: trimming in
            // a branch only shrinks it, and summing it out instead would
            // make every later table larger than the search foresaw.
            OrderVariable& conditioned = *drawConditioned(tempProd, width, random, effort, probes, probed);
            appendOrderEntry(order, {1, conditioned.node, 0.0});
            conditionTemp(tempProd, conditioned, &probes.of(conditioned.sourceSlot));
        }
        if (bestFits && tracking.cost.multiplyAdds >= best.multiplyAdds) return false;
        // Kept tables only grow: an order past the memory, or further past
        // it than the best, cannot win.
        const double past = limits.boundsKeptTables() ? overflow(tracking.cost, limits) : 0.0;
        if (past > 0.0 && (bestFits || past >= overflow(best, limits))) return false;
    }
    appendVariablesWithoutFunctions(tempProd, order);
    return isBetter(tracking.cost, best, limits);
}

// Passes run in rounds of this many, each against the best order of the
// rounds before, so that the order found does not depend on how many
// threads run them.
constexpr int passesPerRound = 4;

struct SearchPass {
    SplitMix random{0};
    SearchEffort effort;
    EliminationOrder order;
    OrderCost cost;
    bool finished = false;  // the pass ran to the end and beat the best order it started against
    std::vector<int> probed;  // the slots of the variables whose probes it used
};

// Applies one entry of an order to the tempProd as the elimination does: a
// marked entry conditions once summing its variable out would make a table
// of its threshold, on the branch's own tables.
void replayEntry(const Product& product, TempProd& tempProd, const OrderEntry& entry, const OrderLimits& limits,
                 TrimmingProbes& probes) {
    OrderVariable* variable = tempProd.oldToNewVarMapping[variableIndex(product, *entry.node->variable)];
    if (variable == nullptr || !variable->inUse) return;
    if (entry.conditioned && sumOutEntries(*variable) >= std::min(limits.conditionThreshold, entry.conditionFrom)) {
        conditionTemp(tempProd, *variable, &probes.of(variable->sourceSlot));
    } else {
        sumOutTemp(tempProd, *variable);
    }
}

// The order's cost with the trimming of its conditioning branches foreseen,
// as the search's own orders are costed: its cost from the greedy rule
// leaves that out, and would lose to any searched order that conditions.
OrderCost trimmedCost(const Product& product, const EliminationOrder& order, const OrderLimits& limits,
                      TrimmingProbes& probes) {
    std::unique_ptr<TempProd> tempProd = buildTrackedTempProd(product, limits);
    for (const OrderEntry& entry : order.entries) replayEntry(product, *tempProd, entry, limits, probes);
    const OrderCost cost = tempProd->tracking.cost;
    releaseTempProd(std::move(tempProd));
    return cost;
}

void runPass(const Product& product, SearchPass& pass, const OrderLimits& limits, const EliminationOrder& bestOrder,
             const OrderCost& best, TrimmingProbes& probes) {
    std::unique_ptr<TempProd> tempProd = buildTrackedTempProd(product, limits);
    pass.effort.units += static_cast<double>(tempProd->variables.size() + tempProd->functions.size());
    allocateOrDie("elimArr", [&] { pass.order.entries.reserve(bestOrder.entries.size()); });
    // Half the passes start from the best order so far, kept up to a step
    // drawn at random, and search near it; the others search anywhere.
    if (pass.random.next() % 2 == 0) {
        const std::size_t kept = pass.random.next() % (bestOrder.entries.size() + 1);
        for (std::size_t e = 0; e < kept; ++e) {
            replayEntry(product, *tempProd, bestOrder.entries[e], limits, probes);
            pass.order.entries.push_back(bestOrder.entries[e]);
            pass.effort.units += 1.0;
        }
    }
    pass.finished =
        randomisedGreedyOrder(*tempProd, pass.order, pass.random, limits, best, pass.effort, probes, pass.probed);
    pass.cost = tempProd->tracking.cost;
    releaseTempProd(std::move(tempProd));
}

}  // namespace

OrderCost searchEliminationOrder(const Product& product, EliminationOrder& order, OrderCost cost,
                                 OrderLimits limits) {
    TrimmingProbes probes(product);
    OrderCost best = conditions(order) ? trimmedCost(product, order, limits, probes) : cost;
    // The search may spend a share of the time the best order found would
    // take, over all the eliminations it will serve.
    const auto spent = [&](const SearchEffort& effort) {
        return effort.units * limits.multiplyAddsPerSearchUnit >=
               limits.searchShare * std::min(best.multiplyAdds, limits.worthAtMost) * limits.eliminations;
    };
    SplitMix seeds{limits.searchSeed};
    SearchEffort effort;
    // A probe is paid for once, by the first pass in pass order that uses
    // it, whichever thread made it.
    std::vector<char> paid;
    allocateOrDie("tempProd->variables", [&] { paid.assign(product.variables.size(), 0); });
    WorkQueue queue(limits.threads);
    for (int pass = 0; pass < limits.maxSearchPasses; pass += passesPerRound) {
        if (pass >= limits.minSearchPasses && spent(effort)) break;
        const int count = std::min(passesPerRound, limits.maxSearchPasses - pass);
        std::array<SearchPass, passesPerRound> passes;
        for (int k = 0; k < count; ++k) passes[k].random.state = seeds.next();
        queue.runUnits(count, count,
                       [&](int k) { runPass(product, passes[k], limits, order, best, probes); });
        // Taken in pass order, each against the best so far.
        for (int k = 0; k < count; ++k) {
            effort.units += passes[k].effort.units;
            for (int slot : passes[k].probed) {
                if (paid[slot]) continue;
                paid[slot] = 1;
                effort.units += probes.of(slot).entriesWalked / limits.multiplyAddsPerSearchUnit;
            }
            if (passes[k].finished && isBetter(passes[k].cost, best, limits)) {
                best = passes[k].cost;
                order.entries = std::move(passes[k].order.entries);
            }
        }
    }
    return best;
}

}  // namespace pedlik

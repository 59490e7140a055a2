#pragma once

#include <limits>
#include <memory>
#include <memory_resource>
#include <vector>

#include "network/node.hpp"
#include "ordering/cost_tracking.hpp"
#include "ordering/trimming_probe.hpp"
#include "product/product.hpp"

namespace pedlik {

struct OrderFunction;

// A cost that has to be computed before it is used: the variable's function
// list, or the variable list of one of its functions, changed since.
constexpr double costUnknown = -1.0;
// A slot that no scan picks: its variable is released or has no function.
// Above every cost, so that a scan for the cheapest passes it over.
constexpr double notScanned = std::numeric_limits<double>::infinity();

// A product variable as the ordering sees it: its value count and the
// functions it shares, never a table.
struct OrderVariable {
    explicit OrderVariable(std::pmr::memory_resource* memory) : funcs(memory) {}

    int inUse = 0;
    int funcCapacity = 0;                    // the source variable's funcCount; the list never outgrows it
    std::pmr::vector<OrderFunction*> funcs;  // in the order they were added
    Node* node = nullptr;                    // the network node the variable stands for (not owned)
    // The source's value count, lowered by the trimming that conditioning
    // is predicted to bring about in a branch (a mean, so not whole).
    double valueCount = 0.0;
    double sourceCount = 0.0;
    int sourceSlot = 0;                      // the source product's slot of the variable
    int mark = 0;                            // scratch mark for collecting neighbours

    int funcCount() const { return static_cast<int>(funcs.size()); }
};

// Which variables one table of the product spans.
struct OrderFunction {
    explicit OrderFunction(std::pmr::memory_resource* memory) : vars(memory) {}

    int inUse = 0;
    std::pmr::vector<OrderVariable*> vars;  // table order
    int inherited = 0;  // cost tracking: the table belongs to a product that conditioning copied

    int varCount() const { return static_cast<int>(vars.size()); }
};

// The light copy of a product on which the elimination order is chosen. The
// slot arrays are sized once and never move, since the records point into
// them.
struct TempProd {
    // The records' lists, released all at once with the tempProd: a search
    // makes one tempProd a pass, and its lists cost more to allocate and
    // free one by one than the pass's own work.
    std::pmr::monotonic_buffer_resource memory;
    int variableCount = 0;
    std::vector<OrderVariable> variables;
    int nextVariableSlot = 0;
    int scanPosition = 0;  // where the next greedy scan over all slots starts
    // By variable slot: the cached orderCost, costUnknown or notScanned.
    // Kept apart from the records, so that a scan over every slot at every
    // step reads one small array.
    std::vector<double> scanCosts;
    std::vector<OrderVariable*> neighbourScratch;  // a sum-out's neighbours, gathered without an allocation each
    std::vector<OrderVariable*> oldToNewVarMapping;  // by the source product's variable slot
    const Variable* sourceVariables = nullptr;       // the source's slot array, to index the mapping
    int functionCount = 0;
    std::vector<OrderFunction> functions;
    int nextFunctionSlot = 0;
    CostTracking tracking;  // what the steps taken so far will cost the elimination

    TempProd() = default;
    TempProd(const TempProd&) = delete;
    TempProd& operator=(const TempProd&) = delete;
};

// The light copy of the product's live variables and functions, both in slot
// order, each order variable listing its functions in slot order. The
// product is not changed.
std::unique_ptr<TempProd> buildTempProd(const Product& product);

void releaseTempProd(std::unique_ptr<TempProd> tempProd);

// The order variable standing for a live variable of the source product.
OrderVariable& orderVariableOf(const TempProd& tempProd, const Variable& variable);

// The cached cost of the variable's slot (see TempProd::scanCosts).
double& scanCostOf(TempProd& tempProd, const OrderVariable& variable);

// Marks the variable's cached cost out of date, or the slot as not scanned
// once the variable has no function left.
void costChanged(TempProd& tempProd, const OrderVariable& variable);

// The size of the table that summing the variable out would create, or 0.0
// when no new table is needed: the variable has no functions, or one of them
// already spans every variable the others span.
double orderCost(OrderVariable& variable);

// Replaces the variable's functions by one over its other variables, in
// order of first appearance (none when it has no neighbour), and releases
// the variable.
void sumOutTemp(TempProd& tempProd, OrderVariable& variable);

// Drops the variable from each of its functions, which stay (possibly with
// no variable left), and releases it. With a probe, the other variables
// then keep the share of their values that the probe found trimming leaves
// them in a branch, and the cost counts only the branches it left alive.
void conditionTemp(TempProd& tempProd, OrderVariable& variable, const ConditioningProbe* probe = nullptr);

}  // namespace pedlik

#include "ordering/order_product.hpp"

#include <algorithm>
#include <utility>

#include "base/allocation.hpp"
#include "ordering/order_cost.hpp"
#include "product/neighbour_scan.hpp"
#include "product/slot_search.hpp"

namespace pedlik {

namespace {

OrderVariable& takeVariableSlot(TempProd& tempProd) {
    OrderVariable* slot = takeFreeSlot(tempProd.variables, tempProd.nextVariableSlot, tempProd.variableCount);
    // The pools are sized for everything they will hold at once; a full
    // pool ends the run like any allocation that cannot be satisfied.
    if (slot == nullptr) fatalAllocError("tempProd->variables");
    return *slot;
}

OrderFunction& takeFunctionSlot(TempProd& tempProd) {
    OrderFunction* slot = takeFreeSlot(tempProd.functions, tempProd.nextFunctionSlot, tempProd.functionCount);
    if (slot == nullptr) fatalAllocError("tempProd->functions");
    return *slot;
}

void releaseOrderVariable(TempProd& tempProd, OrderVariable& variable) {
    variable.funcs = {};
    variable.inUse = 0;
    scanCostOf(tempProd, variable) = notScanned;
    --tempProd.variableCount;
}

void releaseOrderFunction(TempProd& tempProd, OrderFunction& function) {
    function.vars = {};
    function.inUse = 0;
    function.inherited = 0;
    --tempProd.functionCount;
}

// Removing keeps the other functions in their order, so later neighbour
// scans meet them as before.
void detach(TempProd& tempProd, OrderVariable& variable, const OrderFunction& function) {
    const auto found = std::find(variable.funcs.begin(), variable.funcs.end(), &function);
    if (found != variable.funcs.end()) variable.funcs.erase(found);
    costChanged(tempProd, variable);
}

}  // namespace

std::unique_ptr<TempProd> buildTempProd(const Product& product) {
    auto tempProd = allocateOrDie("tempProd", [] { return std::make_unique<TempProd>(); });
    allocateOrDie("tempProd->variables", [&] {
        tempProd->variables.reserve(product.variableCount + 1);
        for (int slot = 0; slot <= product.variableCount; ++slot) tempProd->variables.emplace_back(&tempProd->memory);
        tempProd->scanCosts.assign(tempProd->variables.size(), notScanned);
    });
    allocateOrDie("oldToNewVarMapping", [&] {
        tempProd->oldToNewVarMapping = std::vector<OrderVariable*>(product.variables.size(), nullptr);
    });
    tempProd->sourceVariables = product.variables.data();
    allocateOrDie("tempProd->functions", [&] {
        tempProd->functions.reserve(product.functionCount + 1);
        for (int slot = 0; slot <= product.functionCount; ++slot) tempProd->functions.emplace_back(&tempProd->memory);
    });

    for (std::size_t slot = 0; slot < product.variables.size(); ++slot) {
        const Variable& source = product.variables[slot];
        if (!source.inUse) continue;
        OrderVariable& variable = takeVariableSlot(*tempProd);
        variable.node = source.node;
        variable.valueCount = source.valueCount;
        variable.sourceSlot = static_cast<int>(slot);
        variable.sourceCount = source.valueCount;
        variable.funcCapacity = source.funcCount();
        allocateOrDie("varPtr->funcs", [&] { variable.funcs.reserve(variable.funcCapacity); });
        tempProd->oldToNewVarMapping[slot] = &variable;
    }
    for (const Function& source : product.functions) {
        if (!source.inUse) continue;
        OrderFunction& function = takeFunctionSlot(*tempProd);
        allocateOrDie("copyProduct data-structures", [&] {
            function.vars.reserve(source.vars.size());
            for (const Variable* listed : source.vars) function.vars.push_back(&orderVariableOf(*tempProd, *listed));
        });
    }
    for (OrderFunction& function : tempProd->functions) {
        if (!function.inUse) continue;
        for (OrderVariable* listed : function.vars) listed->funcs.push_back(&function);
    }
    for (const OrderVariable& variable : tempProd->variables) {
        if (variable.inUse) costChanged(*tempProd, variable);
    }
    tempProd->tracking = startTracking(*tempProd);
    return tempProd;
}

void releaseTempProd(std::unique_ptr<TempProd> tempProd) {
    // The slot arrays own every record; taking the handle by value empties
    // the caller's.
    tempProd.reset();
}

OrderVariable& orderVariableOf(const TempProd& tempProd, const Variable& variable) {
    return *tempProd.oldToNewVarMapping[&variable - tempProd.sourceVariables];
}

double& scanCostOf(TempProd& tempProd, const OrderVariable& variable) {
    return tempProd.scanCosts[static_cast<std::size_t>(&variable - tempProd.variables.data())];
}

void costChanged(TempProd& tempProd, const OrderVariable& variable) {
    scanCostOf(tempProd, variable) = variable.funcs.empty() ? notScanned : costUnknown;
}

double orderCost(OrderVariable& variable) {
    if (variable.funcs.empty()) return 0.0;
    int largestVarCount = 0;
    for (const OrderFunction* function : variable.funcs) {
        largestVarCount = std::max(largestVarCount, function->varCount());
    }
    // The variable lists itself in each of its functions: it is one of the
    // distinct variables met.
    int distinct = 1;
    double size = variable.valueCount;
    forEachNeighbour(variable, [&](const OrderVariable& neighbour) {
        ++distinct;
        size *= neighbour.valueCount;
    });
    if (distinct == largestVarCount) return 0.0;
    return size / variable.valueCount;
}

void sumOutTemp(TempProd& tempProd, OrderVariable& variable) {
    trackSumOut(tempProd.tracking, variable);
    std::vector<OrderVariable*>& varArr = tempProd.neighbourScratch;
    allocateOrDie("varArr", [&] {
        varArr.clear();
        varArr.reserve(tempProd.variableCount);
    });
    forEachNeighbour(variable, [&](OrderVariable& neighbour) { varArr.push_back(&neighbour); });

    OrderFunction* made = nullptr;
    if (!varArr.empty()) {
        // Taken before the old functions are released, as the pool's room
        // of one spare slot allows.
        made = &takeFunctionSlot(tempProd);
        allocateOrDie("function's variable array", [&] { made->vars.assign(varArr.begin(), varArr.end()); });
    }
    const std::pmr::vector<OrderFunction*> summed = std::exchange(variable.funcs, {});
    for (auto function = summed.rbegin(); function != summed.rend(); ++function) {
        for (OrderVariable* listed : (*function)->vars) detach(tempProd, *listed, **function);
        releaseOrderFunction(tempProd, **function);
    }
    if (made != nullptr) {
        for (OrderVariable* listed : made->vars) {
            listed->funcs.push_back(made);
            scanCostOf(tempProd, *listed) = costUnknown;
        }
    }
    releaseOrderVariable(tempProd, variable);
}

void conditionTemp(TempProd& tempProd, OrderVariable& variable, const ConditioningProbe* probe) {
    CostTracking& tracking = tempProd.tracking;
    const double before = tracking.productEntries;
    const double workBefore = tracking.cost.multiplyAdds;
    const double copies = variable.valueCount * (probe == nullptr ? 1.0 : probe->liveShare);
    trackCondition(tracking, tempProd, variable, probe == nullptr ? 1.0 : probe->liveShare);
    for (OrderFunction* function : variable.funcs) {
        std::erase(function->vars, &variable);
        for (OrderVariable* listed : function->vars) scanCostOf(tempProd, *listed) = costUnknown;
    }
    releaseOrderVariable(tempProd, variable);
    if (probe != nullptr) trimTemp(tempProd, *probe);
    // A branch's bucket tree is built with the variable fixed: the tables
    // made so far shrink in it as the product does, and are made again in
    // every branch.
    const double shrink = before > 0.0 ? tracking.productEntries / before : 1.0;
    tracking.cost.keptEntries *= shrink;
    if (tracking.branchTrees) tracking.cost.multiplyAdds += workBefore * (copies * shrink - 1.0);
}

}  // namespace pedlik

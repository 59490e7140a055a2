#include "buckettree/reestimation.hpp"

#include "buckettree/bte_run.hpp"
#include "buckettree/expected_values.hpp"
#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "product/product_pool.hpp"
#include "product/trimming.hpp"

namespace pedlik {

void ReplaceFunctions(BucketTree& tree) {
    for (const LocationRecord* record : tree.locations) {
        Bucket& bucket = *record->bucket;
        for (Function* function : record->variable->funcs) {
            if (function->placed) continue;
            function->placed = 1;
            allocateOrDie("mnode", [&] { bucket.functions.push_back(FunctionEntry{function, nullptr, nullptr}); });
            for (Variable* variable : function->vars) {
                if (InVarList(bucket.ownVars, variable) || InVarList(bucket.otherVars, variable)) continue;
                allocateOrDie("vnode", [&] { bucket.otherVars.push_back(variable); });
            }
        }
    }
}

double RebuildAndRun(Pedigree& pedigree, Product& product, BucketTree& tree, int isSexLinked,
                     const BteSettings& settings) {
    ClearFunctionLists(tree);
    for (Variable& variable : product.variables) {
        if (variable.inUse || tree.locationOf.contains(&variable)) restoreVariable(product, variable);
    }
    for (Function& function : product.functions) {
        if (function.inUse) releaseFunction(product, function);
    }
    double constants = buildPedigreeTables(product, pedigree, isSexLinked);
    int failed = 0;
    constants += trimValues(product, failed);
    ReplaceFunctions(tree);
    RunBte(tree, settings);
    return constants;
}

double RebuildAndRunAll(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                        const BteSettings& settings) {
    bteLogLikelihood = 0.0;
    double constants = 0.0;
    std::size_t k = 0;
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++k) {
        constants += RebuildAndRun(*pedigree, *products[k], *trees[k], isSexLinked, settings);
    }
    return constants + bteLogLikelihood;
}

double Reestimate(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                  double& logLikelihood, const BteSettings& settings) {
    logLikelihood = RebuildAndRunAll(pedigrees, products, trees, isSexLinked, settings);
    return ExpectedValues(pedigrees);
}

}  // namespace pedlik

#include "buckettree/reestimation.hpp"

#include "buckettree/branch_trees.hpp"
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

double rebuildTables(Pedigree& pedigree, Product& product, int isSexLinked, const BucketTree* tree) {
    for (Variable& variable : product.variables) {
        if (variable.inUse || (tree != nullptr && tree->locationOf.contains(&variable))) restoreVariable(product, variable);
    }
    for (Function& function : product.functions) {
        if (function.inUse) releaseFunction(product, function);
    }
    double constants = buildPedigreeTables(product, pedigree, isSexLinked);
    int failed = 0;
    constants += trimValues(product, failed);
    return constants;
}

double RebuildAndRun(Pedigree& pedigree, Product& product, BucketTree& tree, int isSexLinked,
                     const BteSettings& settings) {
    ClearFunctionLists(tree);
    const double constants = rebuildTables(pedigree, product, isSexLinked, &tree);
    ReplaceFunctions(tree);
    RunBte(tree, settings);
    return constants;
}

void RunAllTrees(const PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees,
                 BranchedPedigrees* branched, const BteSettings& settings) {
    bteLogLikelihood = 0.0;
    std::size_t k = 0;
    for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++k) {
        if (trees[k] != nullptr) {
            RunBte(*trees[k], settings);
        } else {
            bteLogLikelihood += runBranchTrees(*pedigree, *products[k], *branched, k, settings);
        }
    }
}

double RebuildAndRunAll(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                        const BteSettings& settings, BranchedPedigrees* branched) {
    bteLogLikelihood = 0.0;
    double constants = 0.0;
    std::size_t k = 0;
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++k) {
        if (trees[k] != nullptr) {
            constants += RebuildAndRun(*pedigree, *products[k], *trees[k], isSexLinked, settings);
            continue;
        }
        constants += rebuildTables(*pedigree, *products[k], isSexLinked, nullptr);
        bteLogLikelihood += runBranchTrees(*pedigree, *products[k], *branched, k, settings);
    }
    return constants + bteLogLikelihood;
}

double Reestimate(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                  double& logLikelihood, const BteSettings& settings, BranchedPedigrees* branched) {
    logLikelihood = RebuildAndRunAll(pedigrees, products, trees, isSexLinked, settings, branched);
    return ExpectedValues(pedigrees, nullptr, branched == nullptr ? nullptr : &branched->counts);
}

}  // namespace pedlik

#include "network/assembly.hpp"

#include "genotype/traversal_flags.hpp"
#include "genotype/upward_pass.hpp"
#include "input/process_state.hpp"
#include "network/person_tables.hpp"
#include "product/function_index.hpp"

namespace pedlik {

double buildPedigreeTables(Product& product, Pedigree& pedigree, int sexLinked, ProgressSink progress) {
    assembly = AssemblyCounters{&product, 0.0, 0, 0};
    clearTraversalFlags(pedigree);
    // Children before parents, so that every allele node's child count is
    // complete when its own table is built.
    passUpEveryFamily(pedigree, sexLinked == 1 ? &buildPersonTablesSexLinked : &buildPersonTables);
    buildFunctionIndex(product);
    progress.print("\n\nEliminated %d nodes.\n", assembly.eliminatedCount);
    progress.print("%d nodes are constant.\n", assembly.constantCount);
    progress.print("Number of nodes %d.\n", product.variableCount);
    return assembly.logConstant;
}

}  // namespace pedlik

#include "base/allocation.hpp"
#include "ordering/elimination_order.hpp"

namespace pedlik {

namespace {

Node* nodeAt(const NodeArray& nodes, int locus) {
    if (locus >= static_cast<int>(nodes.size())) return nullptr;
    return nodes[locus].get();
}

// Only nodes standing for a live variable of the product take part; the
// others were folded, trimmed or never got a table.
void takeNode(const TempProd& tempProd, const Node* node, std::vector<OrderVariable*>& candidates) {
    if (node == nullptr || node->variable == nullptr || !node->variable->inUse) return;
    candidates.push_back(&orderVariableOf(tempProd, *node->variable));
}

// The phenotype, then the alleles received; a founder's two alleles at
// locus 0 are one genotype variable.
void takeObservedAndAlleles(const TempProd& tempProd, const Person& person, int locus, int sexLinked,
                            std::vector<OrderVariable*>& candidates) {
    takeNode(tempProd, nodeAt(person.phenotypeNodes, locus), candidates);
    if (sexLinked && !person.isFemale) {
        takeNode(tempProd, nodeAt(person.maternalAlleleNodes, locus), candidates);
        return;
    }
    if (person.father != nullptr || locus > 0) {
        takeNode(tempProd, nodeAt(person.paternalAlleleNodes, locus), candidates);
        takeNode(tempProd, nodeAt(person.maternalAlleleNodes, locus), candidates);
        return;
    }
    takeNode(tempProd, person.genotypeNode.get(), candidates);
}

void takeSelectors(const TempProd& tempProd, const Person& person, int locus, int sexLinked,
                   std::vector<OrderVariable*>& candidates) {
    if (!sexLinked) takeNode(tempProd, nodeAt(person.paternalSelectorNodes, locus), candidates);
    takeNode(tempProd, nodeAt(person.maternalSelectorNodes, locus), candidates);
}

}  // namespace

void locusGroupOrder(EliminationOrder& order, TempProd& tempProd, const Pedigree& pedigree, int lociCount,
                     int sexLinked, OrderLimits limits) {
    // At most a phenotype and two alleles per person and group.
    std::vector<OrderVariable*> candidates;
    allocateOrDie("elimVarsArr", [&] { candidates.reserve(3 * pedigree.persons.size()); });
    for (int locus = lociCount - 1; locus >= 0; --locus) {
        candidates.clear();
        for (const Person& person : pedigree.persons) {
            takeObservedAndAlleles(tempProd, person, locus, sexLinked, candidates);
        }
        orderGroup(candidates, order, tempProd, limits);
        candidates.clear();
        for (const Person& person : pedigree.persons) takeSelectors(tempProd, person, locus, sexLinked, candidates);
        orderGroup(candidates, order, tempProd, limits);
    }
}

}  // namespace pedlik

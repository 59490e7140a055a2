#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pedlik {

struct Variable;
struct Function;

// A function the bucket-tree code allocated by itself (a message, a sum-out
// result, a belief) is owned through this handle. The deleter is defined
// where Function is complete, so nodes can hold one without seeing it.
struct StandaloneDelete {
    void operator()(Function* function) const;
};
using OwnedFunction = std::unique_ptr<Function, StandaloneDelete>;

// Selector beliefs left by bucket-tree elimination until re-estimation reads
// them: over a selector and the next locus's, over the selector alone when
// the next has no variable, and over it alone when the previous locus's has
// none.
struct SelectorBeliefs {
    OwnedFunction pair;
    OwnedFunction single;
    OwnedFunction first;
};

// One network variable: an allele, a selector, a phenotype or a founder's
// unordered genotype of one person at one locus.
struct Node {
    int parentCount = 0;
    std::vector<Node*> parents;   // filled by the network assembly
    int childCount = 0;           // how many nodes list this one as a parent
    int valueCount = 0;
    Variable* variable = nullptr; // the product variable standing for the node
    // When trimming or fixing (outside a conditioning copy) left the node's
    // variable a single value and released it: that value's number among the
    // node's own values, which trimming renumbers away. -1 while unknown: the
    // node has a variable, or never had more than one value.
    int survivingValue = -1;
    std::string name;             // unique within a pedigree, e.g. "pl_3_0"
    // The beliefs of the pedigree's own tree (a conditioning branch keeps
    // its own).
    SelectorBeliefs beliefs;
    int isSelector = 0;
    Node* nextSelector = nullptr;
};

}  // namespace pedlik

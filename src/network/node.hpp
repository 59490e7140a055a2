#pragma once

#include <string>
#include <vector>

namespace pedlik {

struct Variable;
struct Function;

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
    Function* pairBelief = nullptr;
    Function* singleBelief = nullptr;
    Function* firstBelief = nullptr;
    int isSelector = 0;
    Node* nextSelector = nullptr;
};

}  // namespace pedlik

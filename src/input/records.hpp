#pragma once

#include <memory>
#include <vector>


namespace pedlik {

enum class LocusType { AffectionStatus = 0, NumberedAlleles = 1, TwoLocusTrait = 2 };

// A recombination fraction kept together with its complement, so that no
// consumer ever recomputes 1 - theta.
struct ThetaPair {
    double theta = 0.0;
    double oneMinusTheta = 1.0;
};

void setTheta(ThetaPair& pair, double theta);

// A penetrance as read and its complement: status 2 takes the first, status 1
// the second.
struct PenetrancePair {
    double penetrance = 0.0;
    double complement = 1.0;
};

struct Locus {
    LocusType type = LocusType::NumberedAlleles;
    int alleleCount = 0;
    std::vector<double> geneFrequencies;             // allele 1 first
    int liabilityClassCount = 0;
    std::vector<PenetrancePair> femalePenetrances;   // both sexes in autosomal data
    std::vector<PenetrancePair> malePenetrances;     // sex-linked data only
};

// One candidate allele of one half of a person's genotype at one locus.
struct halfLocusPerson {
    int allele = 0;  // 1-based
    int mark = 0;    // 1: the only candidate left, or known to be transmitted
};

// Candidates in strictly ascending allele order, without duplicates.
using CandidateList = std::vector<halfLocusPerson>;

constexpr int selectorNotFixed = 1;
constexpr int selectorFixed = -1;

struct PersonLocus {
    int isUnknown = 0;
    int affectionStatus = 0;  // 0 unknown, 1 unaffected, 2 affected
    int liabilityClass = 1;   // 1-based
    CandidateList maternalCandidates;
    std::vector<int> maternalAlleles;
    int maternalSelectorValue = 0;
    int maternalSelectorState = selectorNotFixed;
    CandidateList paternalCandidates;
    std::vector<int> paternalAlleles;
    int paternalSelectorValue = 0;
    int paternalSelectorState = selectorNotFixed;
};

// A person owns the network nodes built for it. Node is the network's
// record: its deleter is defined there, so persons can own nodes without
// this layer seeing them.
struct Node;
struct NodeDelete {
    void operator()(Node* node) const;
};
using OwnedNode = std::unique_ptr<Node, NodeDelete>;

// A person's nodes at every locus, indexed by internal locus index; an
// empty array is one that does not exist for this person.
using NodeArray = std::vector<OwnedNode>;

struct Person {
    int id = 0;
    int fileLine = 0;  // 1-based line of the pedigree file that describes the person
    std::vector<PersonLocus> loci;  // indexed by internal locus index
    Person* firstChild = nullptr;
    Person* mother = nullptr;
    Person* father = nullptr;
    Person* nextMaternalSibling = nullptr;
    Person* nextPaternalSibling = nullptr;
    int isFemale = 0;
    int entered = 0;
    int done = 0;
    NodeArray paternalAlleleNodes;
    NodeArray maternalAlleleNodes;
    NodeArray paternalSelectorNodes;
    NodeArray maternalSelectorNodes;
    NodeArray phenotypeNodes;
    OwnedNode genotypeNode;
};

struct Pedigree {
    int personCount = 0;
    int pedigreeId = 0;
    std::vector<Person> persons;  // file order; links point into this array
    Person* firstFounder = nullptr;
    Person* firstLeaf = nullptr;
    Pedigree* next = nullptr;
    int nodeCount = 0;
};

struct PedigreeList {
    int count = 0;
    Pedigree* head = nullptr;
    std::vector<std::unique_ptr<Pedigree>> storage;  // owns the pedigrees in list order
};

struct RunParameters {
    int lociCount = 0;
    int riskLocus = 0;
    int isSexLinked = 0;
    int programCode = 0;
    int traitTableOrdinal = 0;
    int mutationLocus = 0;
    int hasHaplotypeFrequencies = 0;
    std::vector<int> lociOrder;     // k-th description belongs to internal locus lociOrder[k] - 1
    std::vector<Locus> loci;        // by internal locus index
    std::vector<ThetaPair> thetaVals;  // entry i: between internal loci i and i + 1
    int variedThetaIndex = 0;       // 1-based into thetaVals
    double thetaIncrement = 0.0;
    double thetaStop = 0.0;
    int traitLocusCount = 0;
    int traitLoci[2] = {0, 0};
    PedigreeList pedigrees;
    int currentPedigreeIndex = 0;
    double logLikelihood = 0.0;
    // Each pedigree's own share of logLikelihood, in list order: its folded
    // constants, its trimming and its elimination. Complete only where no
    // pedigree's likelihood is 0, since the stages stop at the first such.
    std::vector<double> pedigreeLogLikelihoods;
};

}  // namespace pedlik

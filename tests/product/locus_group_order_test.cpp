// Orders of whole pedigrees: locus by locus in two groups per locus for small
// pedigrees, one greedy pass above the person limit.
#include <gtest/gtest.h>

#include "input/process_state.hpp"
#include "product/elimination_order.hpp"
#include "product/function_index.hpp"
#include "product/variable_lists.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

// A hand-made family: persons with their node slots, and the product of the
// nodes' tables, made in the order `table` is called.
struct FamilyBench {
    Pedigree pedigree;
    std::unique_ptr<Product> product = createProduct(32, 32);

    explicit FamilyBench(int personCount) { pedigree.persons.reserve(personCount); }

    Person& person(int id, int isFemale, Person* father = nullptr, Person* mother = nullptr) {
        Person& made = pedigree.persons.emplace_back();
        made.id = id;
        made.isFemale = isFemale;
        made.father = father;
        made.mother = mother;
        ++pedigree.personCount;
        return made;
    }
    Node& node(Person& person, NodeArray Person::*slot, const char* prefix, int locus, int valueCount,
               std::vector<Node*> parents = {}) {
        NodeArray& nodes = person.*slot;
        if (static_cast<int>(nodes.size()) <= locus) nodes.resize(locus + 1);
        nodes[locus] = std::make_unique<Node>();
        return fill(*nodes[locus], prefix, person.id, locus, valueCount, std::move(parents));
    }
    Node& genotype(Person& person, int valueCount) {
        person.genotypeNode = std::make_unique<Node>();
        return fill(*person.genotypeNode, "ge", person.id, 0, valueCount, {});
    }
    void table(Node& node) {
        std::vector<Variable*> vars = nodeVariableList(*product, node);
        std::size_t size = 1;
        for (const Variable* listed : vars) size *= static_cast<std::size_t>(listed->valueCount);
        SharedTable entries = newTable(size, "probability table");
        entries->assign(size, 1.0);
        addFunction(*product, std::move(entries), 0.0, 1, std::move(vars), freshRescaleCountdown);
    }
    std::string order(int lociCount, int sexLinked, OrderLimits limits = {}) {
        EliminationOrder made;
        makeEliminationOrder(*product, made, pedigree, lociCount, sexLinked, limits);
        return render(made);
    }
    static std::string render(const EliminationOrder& order) {
        std::string text;
        for (const OrderEntry& entry : order.entries) {
            if (!text.empty()) text += ' ';
            text += (entry.conditioned ? "!" : "") + entry.node->name;
        }
        return text;
    }

private:
    static Node& fill(Node& node, const char* prefix, int id, int locus, int valueCount, std::vector<Node*> parents) {
        node.valueCount = valueCount;
        node.parentCount = static_cast<int>(parents.size());
        node.parents = std::move(parents);
        node.name = std::string(prefix) + "_" + std::to_string(id) + "_" + std::to_string(locus);
        return node;
    }
};

// Father 1 and mother 2, founders, and their son 3, at two loci; the
// founders' alleles at locus 0 are their genotype variables.
void buildTrio(FamilyBench& family) {
    Person& father = family.person(1, 0);
    Person& mother = family.person(2, 1);
    Person& son = family.person(3, 0, &father, &mother);
    Node* genotypes[2];
    Node* alleles[2][2];
    for (int parent = 0; parent < 2; ++parent) {
        Person& founder = parent == 0 ? father : mother;
        family.node(founder, &Person::paternalAlleleNodes, "pl", 0, 2);  // no table: the genotype stands for it
        family.node(founder, &Person::maternalAlleleNodes, "ml", 0, 2);
        genotypes[parent] = &family.genotype(founder, 3);
        alleles[parent][0] = &family.node(founder, &Person::paternalAlleleNodes, "pl", 1, 2);
        alleles[parent][1] = &family.node(founder, &Person::maternalAlleleNodes, "ml", 1, 2);
    }
    Node& ps0 = family.node(son, &Person::paternalSelectorNodes, "ps", 0, 2);
    Node& pl0 = family.node(son, &Person::paternalAlleleNodes, "pl", 0, 2, {genotypes[0], &ps0});
    Node& ms0 = family.node(son, &Person::maternalSelectorNodes, "ms", 0, 2);
    Node& ml0 = family.node(son, &Person::maternalAlleleNodes, "ml", 0, 2, {genotypes[1], &ms0});
    Node& ps1 = family.node(son, &Person::paternalSelectorNodes, "ps", 1, 2, {&ps0});
    Node& pl1 = family.node(son, &Person::paternalAlleleNodes, "pl", 1, 2, {alleles[0][0], alleles[0][1], &ps1});
    Node& ms1 = family.node(son, &Person::maternalSelectorNodes, "ms", 1, 2, {&ms0});
    Node& ml1 = family.node(son, &Person::maternalAlleleNodes, "ml", 1, 2, {alleles[1][0], alleles[1][1], &ms1});
    // Phenotypes have one value: their tables hang on their parents alone.
    for (int parent = 0; parent < 2; ++parent) {
        Person& founder = parent == 0 ? father : mother;
        family.table(*genotypes[parent]);
        family.table(family.node(founder, &Person::phenotypeNodes, "ph", 0, 1, {genotypes[parent]}));
    }
    for (Node* node : {&ps0, &pl0, &ms0, &ml0}) family.table(*node);
    family.table(family.node(son, &Person::phenotypeNodes, "ph", 0, 1, {&pl0, &ml0}));
    for (int parent = 0; parent < 2; ++parent) {
        Person& founder = parent == 0 ? father : mother;
        family.table(*alleles[parent][0]);
        family.table(*alleles[parent][1]);
        family.table(family.node(founder, &Person::phenotypeNodes, "ph", 1, 1, {alleles[parent][0], alleles[parent][1]}));
    }
    for (Node* node : {&ps1, &pl1, &ms1, &ml1}) family.table(*node);
    family.table(family.node(son, &Person::phenotypeNodes, "ph", 1, 1, {&pl1, &ml1}));
    buildFunctionIndex(*family.product);
}

constexpr const char* trioByLocus =
    "pl_1_1 ml_1_1 pl_2_1 ml_2_1 pl_3_1 ml_3_1 ps_3_1 ms_3_1 ge_1_0 ge_2_0 pl_3_0 ml_3_0 ps_3_0 ms_3_0";
// Every step costs at most 15, so the whole-product scan takes the slots in
// the order the tables created them.
constexpr const char* trioWhole =
    "ge_1_0 ge_2_0 ps_3_0 pl_3_0 ms_3_0 ml_3_0 pl_1_1 ml_1_1 pl_2_1 ml_2_1 ps_3_1 pl_3_1 ms_3_1 ml_3_1";

TEST(LocusGroupOrder, VariableOutsideEveryGroupIsOrderedLast) {
    FamilyBench family(4);
    buildTrio(family);
    Person& stray = family.person(9, 0);
    Node& extra = family.node(stray, &Person::phenotypeNodes, "xx", 4, 2);  // beyond the loci walked
    family.table(extra);
    buildFunctionIndex(*family.product);
    EXPECT_EQ(family.order(2, 0), std::string(trioByLocus) + " xx_9_4");
}

// Sex-linked: a founder father 1 (one allele, from his mother), a founder
// mother 2, their daughter 3 (her father's allele and one from her mother)
// and their son 4 (his mother's only).
void buildSexLinkedFamily(FamilyBench& family) {
    Person& father = family.person(1, 0);
    Person& mother = family.person(2, 1);
    Person& daughter = family.person(3, 1, &father, &mother);
    Person& son = family.person(4, 0, &father, &mother);
    Node& fatherAllele = family.node(father, &Person::maternalAlleleNodes, "ml", 0, 2);
    family.table(fatherAllele);
    family.table(family.node(father, &Person::phenotypeNodes, "ph", 0, 1, {&fatherAllele}));
    family.node(mother, &Person::paternalAlleleNodes, "pl", 0, 2);
    family.node(mother, &Person::maternalAlleleNodes, "ml", 0, 2);
    Node& motherGenotype = family.genotype(mother, 3);
    family.table(motherGenotype);
    family.table(family.node(mother, &Person::phenotypeNodes, "ph", 0, 1, {&motherGenotype}));
    Node& pl3 = family.node(daughter, &Person::paternalAlleleNodes, "pl", 0, 2, {&fatherAllele});
    Node& ms3 = family.node(daughter, &Person::maternalSelectorNodes, "ms", 0, 2);
    Node& ml3 = family.node(daughter, &Person::maternalAlleleNodes, "ml", 0, 2, {&motherGenotype, &ms3});
    for (Node* node : {&pl3, &ms3, &ml3}) family.table(*node);
    family.table(family.node(daughter, &Person::phenotypeNodes, "ph", 0, 1, {&pl3, &ml3}));
    Node& ms4 = family.node(son, &Person::maternalSelectorNodes, "ms", 0, 2);
    Node& ml4 = family.node(son, &Person::maternalAlleleNodes, "ml", 0, 2, {&motherGenotype, &ms4});
    family.table(ms4);
    family.table(ml4);
    family.table(family.node(son, &Person::phenotypeNodes, "ph", 0, 1, {&ml4}));
    buildFunctionIndex(*family.product);
}

constexpr const char* sexLinkedByLocus = "ml_1_0 pl_3_0 ml_3_0 ml_4_0 ge_2_0 ms_3_0 ms_4_0";
// The whole-product scan passes over the mother's genotype (cost 16) until
// everything around it is gone.
constexpr const char* sexLinkedWhole = "ml_1_0 pl_3_0 ms_3_0 ml_3_0 ms_4_0 ml_4_0 ge_2_0";

struct FamilyCase {
    const char* name;
    void (*build)(FamilyBench&);
    int personCount;
    int lociCount;
    int sexLinked;
    OrderLimits limits;
    const char* order;
};

class FamilyOrder : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(FamilyOrder, FollowsTheSchemeOfThePedigreeSize) {
    const FamilyCase& family = GetParam();
    FamilyBench bench(family.personCount);
    family.build(bench);
    const int live = bench.product->variableCount;
    EXPECT_EQ(bench.order(family.lociCount, family.sexLinked, family.limits), family.order);
    EXPECT_EQ(bench.product->variableCount, live);  // ordering leaves the product alone
}

// In the sex-linked family the mother's genotype costs 16 when the group's
// scan first meets it and is passed over; the scan comes back to it after
// the son's allele, when it costs 4, which a threshold of 4 makes a
// conditioning step.
INSTANTIATE_TEST_SUITE_P(
    SmallFamilies, FamilyOrder,
    ::testing::Values(
        FamilyCase{"TrioAtTheRunLimit", buildTrio, 3, 2, 0, {}, trioByLocus},
        FamilyCase{"TrioAtTheLimit", buildTrio, 3, 2, 0, {.locusGroupPersons = 3}, trioByLocus},
        FamilyCase{"TrioAboveTheLimit", buildTrio, 3, 2, 0, {.locusGroupPersons = 2}, trioWhole},
        FamilyCase{"SexLinked", buildSexLinkedFamily, 4, 1, 1, {}, sexLinkedByLocus},
        FamilyCase{"SexLinkedConditioning", buildSexLinkedFamily, 4, 1, 1, {.conditionThreshold = 4.0},
                   "ml_1_0 pl_3_0 ml_3_0 ml_4_0 !ge_2_0 ms_3_0 ms_4_0"},
        FamilyCase{"SexLinkedAboveTheLimit", buildSexLinkedFamily, 4, 1, 1, {.locusGroupPersons = 3}, sexLinkedWhole}),
    [](const auto& info) { return std::string(info.param.name); });

// The run's entry point: one order per pedigree in list order, the
// sex-linked flag taken from the run parameters.
TEST(MakeEliminationOrders, OnePerPedigreeInListOrderThenReleased) {
    FamilyBench first(4);
    FamilyBench second(4);
    buildSexLinkedFamily(first);
    buildSexLinkedFamily(second);
    PedigreeList pedigrees;
    pedigrees.count = 2;
    pedigrees.head = &first.pedigree;
    first.pedigree.next = &second.pedigree;
    std::vector<std::unique_ptr<Product>> products;
    products.push_back(std::move(first.product));
    products.push_back(std::move(second.product));

    const int keptFlag = runParameters.isSexLinked;
    runParameters.isSexLinked = 1;
    std::vector<EliminationOrder> orders = makeEliminationOrders(products, pedigrees, 1, {.locusGroupPersons = 4});
    runParameters.isSexLinked = keptFlag;

    ASSERT_EQ(orders.size(), 2u);
    for (int index = 0; index < 2; ++index) {
        EXPECT_EQ(FamilyBench::render(orders[index]), sexLinkedByLocus);
        EXPECT_EQ(orders[index].entryCount(), products[index]->variableCount);
    }
    EXPECT_EQ(orders[1].entries[0].node, second.pedigree.persons[0].maternalAlleleNodes[0].get());
    EXPECT_EQ(orders[0].entries[0].node, first.pedigree.persons[0].maternalAlleleNodes[0].get());

    std::vector<EliminationOrder> wholeScheme = makeEliminationOrders(products, pedigrees, 1, {.locusGroupPersons = 3});
    EXPECT_EQ(FamilyBench::render(wholeScheme[0]), sexLinkedWhole);

    releaseEliminationOrders(orders, 2);
    EXPECT_TRUE(orders.empty());
}

}  // namespace
}  // namespace pedlik::testing

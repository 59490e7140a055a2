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

// A hand-made family: persons with their node slots and the product of the
// nodes' tables, each table made as its node is added.
struct FamilyBench {
    Pedigree pedigree;
    ProductBench tables{32};

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
    // A node in the person's slot at the locus, or the genotype node for a
    // null slot; `withTable` false for the allele nodes a genotype stands for.
    Node& add(Person& person, NodeArray Person::*slot, const char* prefix, int locus, int valueCount,
              std::vector<Node*> parents = {}, bool withTable = true) {
        OwnedNode* place = &person.genotypeNode;
        if (slot != nullptr) {
            NodeArray& nodes = person.*slot;
            if (static_cast<int>(nodes.size()) <= locus) nodes.resize(locus + 1);
            place = &nodes[locus];
        }
        *place = OwnedNode(new Node());
        Node& node = **place;
        node.valueCount = valueCount;
        node.parentCount = static_cast<int>(parents.size());
        node.parents = std::move(parents);
        node.name = std::string(prefix) + "_" + std::to_string(person.id) + "_" + std::to_string(locus);
        if (withTable) tables.table(nodeVariableList(*tables.product, node));
        return node;
    }
    Product& product() { return *tables.product; }
    std::string order(int lociCount, int sexLinked, OrderLimits limits) {
        EliminationOrder made;
        makeEliminationOrder(product(), made, pedigree, lociCount, sexLinked, limits);
        return render(made);
    }
    static std::string render(const EliminationOrder& order) {
        std::string text;
        for (const OrderEntry& entry : order.entries) {
            text.append(text.empty() ? "" : " ").append(entry.conditioned ? "!" : "").append(entry.node->name);
        }
        return text;
    }
};

constexpr auto pl = &Person::paternalAlleleNodes;
constexpr auto ml = &Person::maternalAlleleNodes;
constexpr auto ps = &Person::paternalSelectorNodes;
constexpr auto ms = &Person::maternalSelectorNodes;
constexpr auto ph = &Person::phenotypeNodes;
constexpr NodeArray Person::*ge = nullptr;

// Father 1 and mother 2, founders, and their son 3, at two loci; the
// founders' alleles at locus 0 are their genotype variables. Phenotypes have
// one value: their tables are over their parents alone.
void buildTrio(FamilyBench& f) {
    Person& father = f.person(1, 0);
    Person& mother = f.person(2, 1);
    Person& son = f.person(3, 0, &father, &mother);
    Node* genotype[2];
    for (Person* founder : {&father, &mother}) {
        f.add(*founder, pl, "pl", 0, 2, {}, false);
        f.add(*founder, ml, "ml", 0, 2, {}, false);
        genotype[founder == &mother] = &f.add(*founder, ge, "ge", 0, 3);
        f.add(*founder, ph, "ph", 0, 1, {genotype[founder == &mother]});
    }
    Node& ps0 = f.add(son, ps, "ps", 0, 2);
    Node& pl0 = f.add(son, pl, "pl", 0, 2, {genotype[0], &ps0});
    Node& ms0 = f.add(son, ms, "ms", 0, 2);
    Node& ml0 = f.add(son, ml, "ml", 0, 2, {genotype[1], &ms0});
    f.add(son, ph, "ph", 0, 1, {&pl0, &ml0});
    Node* alleles[2][2];
    for (Person* founder : {&father, &mother}) {
        Node** own = alleles[founder == &mother];
        own[0] = &f.add(*founder, pl, "pl", 1, 2);
        own[1] = &f.add(*founder, ml, "ml", 1, 2);
        f.add(*founder, ph, "ph", 1, 1, {own[0], own[1]});
    }
    Node& ps1 = f.add(son, ps, "ps", 1, 2, {&ps0});
    Node& pl1 = f.add(son, pl, "pl", 1, 2, {alleles[0][0], alleles[0][1], &ps1});
    Node& ms1 = f.add(son, ms, "ms", 1, 2, {&ms0});
    Node& ml1 = f.add(son, ml, "ml", 1, 2, {alleles[1][0], alleles[1][1], &ms1});
    f.add(son, ph, "ph", 1, 1, {&pl1, &ml1});
    buildFunctionIndex(f.product());
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
    family.add(family.person(9, 0), ph, "xx", 4, 2);  // beyond the loci walked
    buildFunctionIndex(family.product());
    EXPECT_EQ(family.order(2, 0, {}), std::string(trioByLocus) + " xx_9_4");
}

// Sex-linked: a founder father 1 (one allele, from his mother), a founder
// mother 2, their daughter 3 (her father's allele and one from her mother)
// and their son 4 (his mother's only).
void buildSexLinkedFamily(FamilyBench& f) {
    Person& father = f.person(1, 0);
    Person& mother = f.person(2, 1);
    Person& daughter = f.person(3, 1, &father, &mother);
    Person& son = f.person(4, 0, &father, &mother);
    Node& fatherAllele = f.add(father, ml, "ml", 0, 2);
    f.add(father, ph, "ph", 0, 1, {&fatherAllele});
    f.add(mother, pl, "pl", 0, 2, {}, false);
    f.add(mother, ml, "ml", 0, 2, {}, false);
    Node& genotype = f.add(mother, ge, "ge", 0, 3);
    f.add(mother, ph, "ph", 0, 1, {&genotype});
    Node& pl3 = f.add(daughter, pl, "pl", 0, 2, {&fatherAllele});
    Node& ms3 = f.add(daughter, ms, "ms", 0, 2);
    Node& ml3 = f.add(daughter, ml, "ml", 0, 2, {&genotype, &ms3});
    f.add(daughter, ph, "ph", 0, 1, {&pl3, &ml3});
    Node& ms4 = f.add(son, ms, "ms", 0, 2);
    Node& ml4 = f.add(son, ml, "ml", 0, 2, {&genotype, &ms4});
    f.add(son, ph, "ph", 0, 1, {&ml4});
    buildFunctionIndex(f.product());
}

constexpr const char* sexLinkedByLocus = "ml_1_0 pl_3_0 ml_3_0 ml_4_0 ge_2_0 ms_3_0 ms_4_0";
constexpr const char* sexLinkedConditioning = "ml_1_0 pl_3_0 ml_3_0 ml_4_0 !ge_2_0 ms_3_0 ms_4_0";
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
    const int live = bench.product().variableCount;
    EXPECT_EQ(bench.order(family.lociCount, family.sexLinked, family.limits), family.order);
    EXPECT_EQ(bench.product().variableCount, live);  // ordering leaves the product alone
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
                   sexLinkedConditioning},
        FamilyCase{"SexLinkedAboveTheLimit", buildSexLinkedFamily, 4, 1, 1, {.locusGroupPersons = 3}, sexLinkedWhole}),
    [](const auto& info) { return std::string(info.param.name); });

// The run's entry point: one order per pedigree in list order, with the
// sex-linked flag of the run parameters and the limits passed down.
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
    products.push_back(std::move(first.tables.product));
    products.push_back(std::move(second.tables.product));

    const int keptFlag = runParameters.isSexLinked;
    runParameters.isSexLinked = 1;
    std::vector<EliminationOrder> orders = makeEliminationOrders(products, pedigrees, 1, {.conditionThreshold = 4.0});
    runParameters.isSexLinked = keptFlag;

    ASSERT_EQ(orders.size(), 2u);
    for (const EliminationOrder& order : orders) EXPECT_EQ(FamilyBench::render(order), sexLinkedConditioning);
    EXPECT_EQ(orders[1].entries[0].node, second.pedigree.persons[0].maternalAlleleNodes[0].get());
    releaseEliminationOrders(orders, 2);
    EXPECT_TRUE(orders.empty());
}

}  // namespace
}  // namespace pedlik::testing

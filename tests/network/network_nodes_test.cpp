#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/network_nodes.hpp"
#include "network/node.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

void eliminateAndCreateNodes() {
    const bool sexLinked = runParameters.isSexLinked;
    (sexLinked ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees);
    (sexLinked ? createNetworkNodesSexLinked : createNetworkNodes)(runParameters.pedigrees);
}

const Node* nodeOf(const Person& person, const std::string& kind, int locus) {
    if (kind == "ge") return locus == 0 ? person.genotypeNode.get() : nullptr;
    const NodeArray& nodes = kind == "ps"   ? person.paternalSelectorNodes
                             : kind == "pl" ? person.paternalAlleleNodes
                             : kind == "ms" ? person.maternalSelectorNodes
                             : kind == "ml" ? person.maternalAlleleNodes
                                            : person.phenotypeNodes;
    return nodes.empty() ? nullptr : nodes[locus].get();
}

struct NodeShape {
    int line;
    const char* kind;
    int locus;
    int valueCount;  // 0: the person has no such node
    int parentCount;
};

struct NetworkCase {
    const char* name;
    std::string locusFile;
    const char* pedigree;
    int nodeCount;
    std::vector<NodeShape> nodes;
};

class NetworkNodes : public ::testing::TestWithParam<NetworkCase> {};

TEST_P(NetworkNodes, HaveTheseValueAndParentCounts) {
    const NetworkCase& c = GetParam();
    loadProblem(c.locusFile, c.pedigree);
    eliminateAndCreateNodes();
    EXPECT_EQ(firstPedigree().nodeCount, c.nodeCount);
    for (const NodeShape& shape : c.nodes) {
        const Person& person = personOnLine(shape.line);
        const Node* node = nodeOf(person, shape.kind, shape.locus);
        const std::string where = std::string(shape.kind) + " of line " + std::to_string(shape.line) + " at locus " +
                                  std::to_string(shape.locus);
        if (shape.valueCount == 0) {
            EXPECT_EQ(node, nullptr) << where;
            continue;
        }
        ASSERT_NE(node, nullptr) << where;
        EXPECT_EQ(node->name, std::string(shape.kind) + "_" + std::to_string(person.id) + "_" +
                                  std::to_string(shape.locus));
        EXPECT_EQ(node->valueCount, shape.valueCount) << where;
        EXPECT_EQ(node->parentCount, shape.parentCount) << where;
        EXPECT_EQ(node->parents, std::vector<Node*>(shape.parentCount, nullptr)) << where;
    }
}

const std::string affectionLoci =
    "2 0 0 6 << loci\n0 0.0 0.0 0\n1 2\n"
    "1 2 << affection\n0.99 0.01\n1 << classes\n0.0 0.0 1.0 << penetrances\n"
    "1 2 << affection\n0.99 0.01\n1 << classes\n0.0 0.0 1.0 << penetrances\n"
    "0 0\n0.1\n";

const std::string affectionAndMarker =
    "2 0 0 6 << loci\n0 0.0 0.0 0\n1 2\n"
    "1 2 << affection\n0.99 0.01\n1 << classes\n0.0 0.0 1.0 << penetrances\n"
    "3 4 << marker\n0.25 0.25 0.25 0.25\n"
    "0 0\n0.1\n";

const std::string markerAndAffectionSexLinked =
    "2 0 1 6 << loci\n0 0.0 0.0 0\n1 2\n"
    "3 4 << marker\n0.25 0.25 0.25 0.25\n"
    "1 2 << affection\n0.99 0.01\n1 << classes\n0.0 0.0 1.0\n0.0 1.0 << penetrances\n"
    "0 0\n0.1\n";

std::string twoLocusTrait(bool sexLinked) {
    return std::string("2 0 ") + (sexLinked ? "1" : "0") +
           " 6 2 << loci\n0 0.0 0.0 0\n1 2\n"
           "4 2 << first trait locus\n0.5 0.5\n"
           "4 2 << second trait locus\n0.5 0.5\n1 << classes\n"
           "0.1 0.2 0.3\n0.4 0.5 0.6\n0.7 0.8 0.9" +
           (sexLinked ? "\n0.1 0.2\n0.3 0.4" : "") + " << table\n0 0\n0.1\n";
}

INSTANTIATE_TEST_SUITE_P(
    Autosomal, NetworkNodes,
    ::testing::Values(
        NetworkCase{"SingleHomozygousFounder", markerLocusFile({4}), "1 1 0 0 0 0 0 1 0  2 2\n", 1,
                    {{1, "pl", 0, 1, 0}, {1, "ml", 0, 1, 0}, {1, "ge", 0, 1, 0}, {1, "ph", 0, 0, 0},
                     {1, "ps", 0, 0, 0}, {1, "ms", 0, 0, 0}}},
        NetworkCase{"SingleUntypedFounder", markerLocusFile({4}), "1 1 0 0 0 0 0 2 0  0 0\n", 1,
                    {{1, "pl", 0, 4, 0}, {1, "ml", 0, 4, 0}, {1, "ge", 0, 10, 0}}},
        NetworkCase{"SingleHeterozygousFounder", markerLocusFile({4}), "1 1 0 0 0 0 0 1 0  1 3\n", 1,
                    {{1, "pl", 0, 2, 0}, {1, "ml", 0, 2, 0}, {1, "ge", 0, 1, 0}, {1, "ph", 0, 0, 0}}},
        NetworkCase{"TrioAtTwoMarkers", markerLocusFile({4, 3}),
                    "1 1 0 0 3 0 0 1 0  1 2  1 2\n"
                    "1 2 0 0 3 0 0 2 0  3 4  1 2\n"
                    "1 3 1 2 0 0 0 1 0  1 3  1 2\n",
                    17,
                    {{1, "ge", 0, 1, 0}, {1, "ph", 1, 1, 2}, {1, "pl", 1, 2, 0}, {1, "ge", 1, 0, 0},
                     {3, "ps", 0, 2, 0}, {3, "pl", 0, 1, 2}, {3, "ms", 0, 2, 0}, {3, "ml", 0, 1, 2},
                     {3, "ph", 0, 0, 0}, {3, "ge", 0, 0, 0}, {3, "ps", 1, 2, 1}, {3, "pl", 1, 2, 3},
                     {3, "ms", 1, 2, 1}, {3, "ml", 1, 2, 3}, {3, "ph", 1, 1, 2}}},
        NetworkCase{"TrioAtTwoAffectionLoci", affectionLoci,
                    "1 1 0 0 3 0 0 1 0  2  2\n"
                    "1 2 0 0 3 0 0 2 0  0  1\n"
                    "1 3 1 2 0 0 0 1 0  2  0\n",
                    18,
                    {{1, "ph", 0, 1, 1}, {1, "ge", 0, 3, 0}, {1, "ph", 1, 1, 2}, {2, "ph", 0, 0, 0},
                     {2, "ph", 1, 1, 2}, {3, "ph", 0, 1, 2}, {3, "ph", 1, 0, 0}, {3, "pl", 0, 2, 2},
                     {3, "ml", 1, 2, 3}}},
        NetworkCase{"TwoLocusTrait", twoLocusTrait(false),
                    "1 1 0 0 3 0 0 1 0  2\n"
                    "1 2 0 0 3 0 0 2 0  0\n"
                    "1 3 1 2 0 0 0 1 0  2\n",
                    16,
                    {{1, "ph", 0, 0, 0}, {1, "ge", 0, 3, 0}, {1, "ph", 1, 1, 3}, {2, "ph", 1, 0, 0},
                     {3, "ph", 0, 0, 0}, {3, "ph", 1, 1, 4}}}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    SexLinked, NetworkNodes,
    ::testing::Values(
        NetworkCase{"ParentsDaughterAndSon", markerAndAffectionSexLinked,
                    "1 1 0 0 3 0 0 1 0  2 0  2\n"
                    "1 2 0 0 3 0 0 2 0  1 3  0\n"
                    "1 3 1 2 0 4 4 2 0  0 0  1\n"
                    "1 4 1 2 0 0 0 1 0  3 0  2\n",
                    18,
                    {{1, "pl", 0, 0, 0}, {1, "ge", 0, 0, 0}, {1, "ml", 0, 1, 0}, {1, "ph", 0, 0, 0},
                     {1, "ph", 1, 1, 1}, {2, "ge", 0, 1, 0}, {2, "pl", 0, 2, 0}, {3, "ps", 0, 0, 0},
                     {3, "pl", 0, 1, 1}, {3, "ms", 0, 2, 0}, {3, "ml", 0, 2, 2}, {3, "pl", 1, 2, 1},
                     {3, "ph", 1, 1, 2}, {4, "ps", 0, 0, 0}, {4, "pl", 0, 0, 0}, {4, "ml", 0, 1, 2},
                     {4, "ms", 1, 2, 1}, {4, "ph", 1, 1, 1}}},
        NetworkCase{"TwoLocusTrait", twoLocusTrait(true),
                    "1 1 0 0 3 0 0 1 0  2\n"
                    "1 2 0 0 3 0 0 2 0  2\n"
                    "1 3 1 2 0 0 0 1 0  2\n",
                    12,
                    {{1, "ph", 1, 1, 2}, {1, "ge", 0, 0, 0}, {2, "ph", 1, 1, 3}, {2, "ge", 0, 3, 0},
                     {3, "ph", 1, 1, 2}, {3, "ms", 1, 2, 1}}}),
    [](const auto& info) { return info.param.name; });

// Genotype elimination fixes the paternal selectors of lines 5 and 6 at the
// marker (locus 1); at the affection locus a selector keeps both values even
// when marked fixed.
TEST(NetworkNodes, OnlyMarkerSelectorsLoseAValueWhenFixed) {
    loadProblem(affectionAndMarker,
                "1 1 0 0 3 0 0 1 0  0  1 1\n"
                "1 2 0 0 3 0 0 2 0  0  0 0\n"
                "1 3 1 2 5 0 0 1 0  0  0 0\n"
                "1 4 0 0 5 0 0 2 0  0  4 4\n"
                "1 5 3 4 0 6 6 1 0  0  2 4\n"
                "1 6 3 4 0 7 7 2 0  0  1 4\n"
                "1 7 3 4 0 0 0 1 0  0  0 0\n");
    eliminateGenotypes(runParameters.pedigrees);
    personOnLine(5).loci[0].paternalSelectorState = selectorFixed;
    createNetworkNodes(runParameters.pedigrees);
    EXPECT_EQ(personOnLine(5).paternalSelectorNodes[0]->valueCount, 2);
    EXPECT_EQ(personOnLine(5).paternalSelectorNodes[1]->valueCount, 1);
    EXPECT_EQ(personOnLine(6).paternalSelectorNodes[1]->valueCount, 1);
    EXPECT_EQ(personOnLine(7).paternalSelectorNodes[1]->valueCount, 2);
    EXPECT_EQ(personOnLine(5).paternalAlleleNodes[1]->valueCount, 1);
    EXPECT_EQ(personOnLine(7).paternalAlleleNodes[1]->valueCount, 2);
    EXPECT_EQ(firstPedigree().nodeCount, 41);  // 3 founders of 1 + 2, 4 others of 4 + 4
}

// Person numbers of ten digits and locus indices of two give names longer
// than fifteen characters; cut short, ps_2147483647_1 and ps_2147483647_10
// would be one name.
TEST(NetworkNodes, NamesStayWholeAndDistinctForLargeNumbers) {
    std::string untyped;
    for (int locus = 0; locus < 12; ++locus) untyped += "  0 0";
    loadProblem(markerLocusFile(std::vector<int>(12, 2)), "1 2147483645 0 0 3 0 0 1 0" + untyped + "\n" +
                                                              "1 2147483646 0 0 3 0 0 2 0" + untyped + "\n" +
                                                              "1 2147483647 1 2 0 0 0 1 0" + untyped + "\n");
    eliminateAndCreateNodes();
    std::set<std::string> names;
    int nodes = 0;
    for (const Person& person : firstPedigree().persons) {
        for (const NodeArray* array : {&person.paternalSelectorNodes, &person.paternalAlleleNodes,
                                       &person.maternalSelectorNodes, &person.maternalAlleleNodes,
                                       &person.phenotypeNodes}) {
            for (const auto& node : *array) {
                if (node == nullptr) continue;
                names.insert(node->name);
                ++nodes;
            }
        }
        if (person.genotypeNode) {
            names.insert(person.genotypeNode->name);
            ++nodes;
        }
    }
    EXPECT_EQ(static_cast<int>(names.size()), nodes);
    EXPECT_EQ(personOnLine(3).paternalSelectorNodes[10]->name, "ps_2147483647_10");
    EXPECT_EQ(personOnLine(1).genotypeNode->name, "ge_2147483645_0");
}

}  // namespace
}  // namespace pedlik::testing

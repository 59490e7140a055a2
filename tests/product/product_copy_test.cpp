// A copied product, as conditioning uses it: the same structure in fresh
// slots, the source's tables read but never written, nodes redirected and
// restored.
#include <gtest/gtest.h>

#include "product/function_index.hpp"
#include "product/product_copy.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

// A source whose slots have gaps, so that copying compacts them.
struct CopySource : ::testing::Test {
    ProductBench bench;
    Variable& a = bench.var(2);
    Variable& b = [this]() -> Variable& {
        releaseVariable(*bench.product, bench.var(2));
        return bench.var(3);
    }();
    Variable& c = bench.var(2);
    Node& constant = bench.node(1);
    Function& fab = bench.table({&a, &b}, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, 1.5);
    Function& fbc = [this]() -> Function& {
        releaseFunction(*bench.product, bench.table({&c}));
        return bench.table({&b, &c}, {}, -0.5);
    }();
    Function& fc = bench.table({&c}, {0.4, 0.6});
    Node* na = a.node;
    Node* nb = b.node;
    Node* nc = c.node;

    void SetUp() override {
        fab.rescaleCountdown = 4;
        buildFunctionIndex(*bench.product);
    }
    EliminationOrder orderOf(std::vector<Node*> nodes, int cursor) {
        EliminationOrder order;
        for (Node* node : nodes) order.entries.push_back(OrderEntry{0, node});
        order.cursor = cursor;
        return order;
    }
};

TEST_F(CopySource, CopyHasTheLiveRecordsInSlotOrderOverTablesItNeverWrites) {
    EliminationOrder order = orderOf({na, nb, nc}, 0);
    std::vector<NodeRedirect> redirects(3);
    ProductCopy copy = copyProduct(*bench.product, b, order, redirects);
    Product& target = *copy.product;
    EXPECT_EQ(target.variableCapacity(), 4);
    EXPECT_EQ(target.functionCapacity(), 4);
    ASSERT_EQ(target.variableCount, 3);
    Variable* copies[] = {&target.variables[0], &target.variables[1], &target.variables[2]};
    EXPECT_EQ(copies[1]->node, nb);
    EXPECT_EQ(copies[1]->valueCount, 3);
    EXPECT_EQ(copy.variable, copies[1]);

    // In source slot order, past the gap: fab, fbc, fc.
    const Function* sources[] = {&fab, &fbc, &fc};
    const std::vector<Variable*> expectedVars[] = {{copies[0], copies[1]}, {copies[1], copies[2]}, {copies[2]}};
    for (int i = 0; i < 3; ++i) {
        const Function& copied = target.functions[i];
        EXPECT_EQ(copied.probablist.data(), sources[i]->probablist.data()) << i;
        EXPECT_EQ(copied.ownsTable, 0);
        EXPECT_EQ(copied.logScale, sources[i]->logScale);
        EXPECT_EQ(copied.rescaleCountdown, freshRescaleCountdown);
        EXPECT_EQ(copied.vars, expectedVars[i]) << i;
    }
    EXPECT_EQ(copies[2]->funcs, (std::vector<Function*>{&target.functions[1], &target.functions[2]}));

    // Rescaling the copy's function gives it a table of its own.
    rescale(target.functions[0]);
    EXPECT_DOUBLE_EQ(target.functions[0].probablist[0], 0.1 / 0.6);
    EXPECT_EQ(entriesOf(fab), (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5, 0.6}));
    EXPECT_EQ(fab.logScale, 1.5);
    // Nor does the source write a table its copy reads, and the table
    // outlives the source function that made it.
    writableTable(fc)[0] = 0.9;
    releaseFunction(*bench.product, fc);
    EXPECT_EQ(entriesOf(target.functions[2]), (std::vector<double>{0.4, 0.6}));
    restoreRedirectedNodes(order, 0, redirects);
}

TEST_F(CopySource, RedirectsLiveNodesFromTheCursorOnAndRestoresThem) {
    EliminationOrder order = orderOf({na, nc, &constant, nb}, 1);  // na before the cursor, constant has no variable
    std::vector<NodeRedirect> redirects(3);
    ProductCopy copy = copyProduct(*bench.product, a, order, redirects);
    EXPECT_EQ(na->variable, &a);
    EXPECT_EQ(redirects[0].transformed + redirects[1].transformed + redirects[2].transformed, 2);
    EXPECT_EQ(redirects[0].sourceVariable, &c);
    EXPECT_EQ(redirects[2].sourceVariable, &b);
    EXPECT_EQ(nc->variable->copiedFrom, &c);
    EXPECT_EQ(nb->variable->copiedFrom, &b);

    // As conditioning does: a copy variable is released, then the whole copy.
    releaseVariable(*copy.product, *copy.variable);
    EXPECT_EQ(na->variable, &a);
    releaseProduct(std::move(copy.product));
    EXPECT_EQ(nb->variable, nullptr);
    restoreRedirectedNodes(order, 1, redirects);
    EXPECT_EQ(nb->variable, &b);
    EXPECT_EQ(nc->variable, &c);
    EXPECT_EQ(constant.variable, nullptr);
}

}  // namespace
}  // namespace pedlik::testing

#include "buckettree/tree_construction.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

std::unique_ptr<Bucket> newBucket(Variable& variable) {
    auto bucket = allocateOrDie("newbucket", [] { return std::make_unique<Bucket>(); });
    allocateOrDie("newbucket", [&] { bucket->ownVars.push_back(&variable); });
    return bucket;
}

std::unique_ptr<BucketTree> newBucketTree(Product& product) {
    auto tree = allocateOrDie("bucketprod", [] { return std::make_unique<BucketTree>(); });
    for (Variable& variable : product.variables) {
        if (!variable.inUse) continue;
        std::unique_ptr<Bucket> bucket = newBucket(variable);
        allocateOrDie("newbucketnode", [&] { tree->buckets.push_back(std::move(bucket)); });
    }
    return tree;
}

// Gives every bucket the position of its variable's node in the order and
// lists the buckets by position. The order names exactly the product's live
// variables, each through its node. Bucket-tree elimination works from the
// last position back to the first, so the order's first entry, the first
// variable elimination sums out, takes the last position: the lambda pass
// then makes the tables that elimination makes, over the same scopes.
void orderBuckets(BucketTree& tree, const EliminationOrder& order) {
    std::unordered_map<const Node*, Bucket*> bucketOfNode;
    allocateOrDie("newelimOrdbucketnode", [&] {
        for (const std::unique_ptr<Bucket>& bucket : tree.buckets) bucketOfNode[bucket->ownVars[0]->node] = bucket.get();
        tree.order.reserve(tree.buckets.size());
    });
    const std::size_t count = std::min(tree.buckets.size(), order.entries.size());
    for (std::size_t k = count; k-- > 0;) {
        Bucket* bucket = bucketOfNode.at(order.entries[k].node);
        bucket->position = static_cast<int>(count - k);
        tree.order.push_back(bucket);
    }
}

void newOtherVar(Bucket& bucket, Variable* variable) {
    if (variable == bucket.ownVars[0] || InVarList(bucket.otherVars, variable)) return;
    allocateOrDie("vnode", [&] { bucket.otherVars.push_back(variable); });
}

// From the last position to the first, so that each table lands in the
// bucket of its variable with the highest position.
void placeFunctions(BucketTree& tree) {
    for (auto it = tree.order.rbegin(); it != tree.order.rend(); ++it) {
        Bucket& bucket = **it;
        Variable* variable = bucket.ownVars[0];
        auto record = allocateOrDie("locationbucket", [&] {
            return std::make_unique<LocationRecord>(LocationRecord{bucket.position, variable, &bucket});
        });
        allocateOrDie("locationbnode", [&] {
            tree.locations.push_back(record.get());
            tree.locationOf[variable] = record.get();
        });
        allocateOrDie("locationbucketnode", [&] { bucket.locationList.push_back(std::move(record)); });
        for (Function* function : variable->funcs) {
            if (function->placed) continue;
            function->placed = 1;
            allocateOrDie("mnode", [&] { bucket.functions.push_back(FunctionEntry{function, nullptr, nullptr}); });
            for (Variable* listed : function->vars) newOtherVar(bucket, listed);
        }
    }
}

// The bucket, earlier in the order, of the latest variable of the bucket's
// scope; null for a root. Every other variable of a bucket comes earlier
// than the bucket itself.
Bucket* findParent(const BucketTree& tree, const Bucket& bucket) {
    const LocationRecord* latest = nullptr;
    for (const Variable* variable : bucket.otherVars) {
        const LocationRecord* record = tree.locationOf.at(variable);
        if (record->position < bucket.position && (latest == nullptr || record->position > latest->position)) {
            latest = record;
        }
    }
    return latest == nullptr ? nullptr : latest->bucket;
}

// The child hands its scope on to the parent: the variables the parent
// lacks join its other variables, the others count towards the child's
// sharing count.
void attachChild(Bucket& child, Bucket& parent) {
    child.parent = &parent;
    allocateOrDie("newbucketnode", [&] { parent.children.push_back(&child); });
    for (Variable* variable : child.otherVars) {
        if (variable == parent.ownVars[0] || InVarList(parent.otherVars, variable)) {
            ++child.sharingCount;
        } else {
            allocateOrDie("vnode", [&] { parent.otherVars.push_back(variable); });
        }
    }
}

// Children before parents, so that a bucket's scope holds its children's
// when its own parent is searched.
void linkBuckets(BucketTree& tree) {
    for (std::size_t k = tree.order.size(); k-- > 1;) {
        Bucket& bucket = *tree.order[k];
        if (Bucket* parent = findParent(tree, bucket)) attachChild(bucket, *parent);
    }
}

// Largest sharing count first; of equal counts, the later bucket first.
void sortBuckets(BucketTree& tree) {
    std::reverse(tree.buckets.begin(), tree.buckets.end());
    std::stable_sort(tree.buckets.begin(), tree.buckets.end(),
                     [](const std::unique_ptr<Bucket>& a, const std::unique_ptr<Bucket>& b) {
                         return a->sharingCount > b->sharingCount;
                     });
}

}  // namespace

std::unique_ptr<BucketTree> createBucketTree(Product& product, const EliminationOrder& order) {
    std::unique_ptr<BucketTree> tree = newBucketTree(product);
    orderBuckets(*tree, order);
    placeFunctions(*tree);
    linkBuckets(*tree);
    sortBuckets(*tree);
    return tree;
}

BucketTreeArray createBucketTrees(ProductArray& products, const std::vector<EliminationOrder>& orders,
                                  const BranchedPedigrees& branched) {
    BucketTreeArray trees;
    allocateOrDie("BucketProduct Array", [&] { trees.reserve(products.size()); });
    for (std::size_t k = 0; k < products.size(); ++k) {
        trees.push_back(branched.isBranched(k) ? nullptr : createBucketTree(*products[k], orders[k]));
    }
    return trees;
}

void createvararr(Bucket& bucket) {
    bucket.otherVars.clear();
    for (const FunctionEntry& entry : bucket.functions) {
        for (Variable* variable : entry.function->vars) {
            if (InVarList(bucket.ownVars, variable) || InVarList(bucket.otherVars, variable)) continue;
            allocateOrDie("Bte - Addtovarlist", [&] { bucket.otherVars.push_back(variable); });
        }
    }
}

void createVarArrays(BucketTreeArray& trees) {
    for (std::unique_ptr<BucketTree>& tree : trees) {
        if (tree == nullptr) continue;
        for (std::unique_ptr<Bucket>& bucket : tree->buckets) createvararr(*bucket);
    }
}

}  // namespace pedlik

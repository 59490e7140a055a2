#include "buckettree/merging.hpp"

#include <algorithm>
#include <cstdio>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

template <typename Entry>
void appendMoved(std::vector<Entry>& to, std::vector<Entry>& from, const char* label) {
    allocateOrDie(label, [&] { to.reserve(to.size() + from.size()); });
    std::move(from.begin(), from.end(), std::back_inserter(to));
    from.clear();
}

// Takes p and q out of the order and q out of `buckets` (p, the first
// entry, is the caller's to release). Null, with nothing changed, when q is
// missing from `buckets`.
std::unique_ptr<Bucket> removeFromLists(BucketTree& tree, const Bucket& p, const Bucket& q) {
    const auto held = std::find_if(tree.buckets.begin() + 1, tree.buckets.end(),
                                   [&](const std::unique_ptr<Bucket>& bucket) { return bucket->position == q.position; });
    if (held == tree.buckets.end()) {
        std::printf("error");
        return nullptr;
    }
    std::erase_if(tree.order, [&](const Bucket* bucket) {
        return bucket->position == p.position || bucket->position == q.position;
    });
    std::unique_ptr<Bucket> taken = std::move(*held);
    tree.buckets.erase(held);
    return taken;
}

// Pairs of equal variables between two lists.
int sharedCount(const VarList& a, const VarList& b) {
    int count = 0;
    for (const Variable* variable : a) count += static_cast<int>(std::count(b.begin(), b.end(), variable));
    return count;
}

int sharingWithParent(const Bucket& child, const Bucket& parent) {
    return sharedCount(child.otherVars, parent.otherVars) + sharedCount(child.otherVars, parent.ownVars) +
           sharedCount(child.ownVars, parent.otherVars);
}

void recountSharing(Bucket& q) {
    q.sharingCount = q.parent == nullptr ? 0 : sharingWithParent(q, *q.parent);
    for (Bucket* child : q.children) child->sharingCount = sharingWithParent(*child, q);
}

void mergeInto(Bucket& p, Bucket& q) {
    std::erase_if(p.otherVars, [&](const Variable* variable) { return InVarList(q.ownVars, variable); });
    std::erase_if(p.otherVars, [&](const Variable* variable) { return InVarList(q.otherVars, variable); });
    appendMoved(q.otherVars, p.otherVars, "vnode");
    appendMoved(q.ownVars, p.ownVars, "newbucket");
    appendMoved(q.functions, p.functions, "mnode");
    for (std::unique_ptr<LocationRecord>& record : p.locationList) record->bucket = &q;
    appendMoved(q.locationList, p.locationList, "locationbucketnode");
    std::erase_if(q.children, [&](const Bucket* child) { return child->position == p.position; });
    for (Bucket* child : p.children) child->parent = &q;
    appendMoved(q.children, p.children, "newbucketnode");
    recountSharing(q);
}

// Puts the merged bucket back: after every bucket of an equal or larger
// sharing count, and in the order before the first later position.
void InsertToProduct(BucketTree& tree, std::unique_ptr<Bucket> q) {
    Bucket* merged = q.get();
    const auto byCount = std::find_if(tree.buckets.begin(), tree.buckets.end(),
                                      [&](const std::unique_ptr<Bucket>& bucket) {
                                          return bucket->sharingCount < merged->sharingCount;
                                      });
    allocateOrDie("MergeBuckets- InsertToProduct", [&] { tree.buckets.insert(byCount, std::move(q)); });
    const auto byPosition = std::find_if(tree.order.begin(), tree.order.end(),
                                         [&](const Bucket* bucket) { return bucket->position > merged->position; });
    allocateOrDie("mergebucket-UpdateProduct", [&] { tree.order.insert(byPosition, merged); });
}

}  // namespace

bool mergeStep(BucketTree& tree) {
    // Roots keep a sharing count of 0, so the leading bucket has a parent.
    if (tree.buckets.empty() || tree.buckets.front()->sharingCount == 0) return false;
    Bucket& p = *tree.buckets.front();
    std::unique_ptr<Bucket> q = removeFromLists(tree, p, *p.parent);
    if (q == nullptr) return false;
    const std::unique_ptr<Bucket> released = std::move(tree.buckets.front());
    tree.buckets.erase(tree.buckets.begin());
    mergeInto(*released, *q);
    InsertToProduct(tree, std::move(q));
    return true;
}

void MergeBuckets(BucketTreeArray& trees, int limit) {
    for (std::unique_ptr<BucketTree>& tree : trees) {
        if (tree == nullptr) continue;
        int step = 0;
        while (step < limit && mergeStep(*tree)) ++step;
    }
}

}  // namespace pedlik

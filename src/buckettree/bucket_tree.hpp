#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "buckettree/function_list.hpp"

namespace pedlik {

struct Bucket;

// Where a variable is eliminated: its position in the elimination order and
// the bucket that holds it, which merging may change. Tables rebuilt by
// re-estimation are placed through these records.
struct LocationRecord {
    int position = 0;              // 1-based position of the variable in the elimination order
    Variable* variable = nullptr;
    Bucket* bucket = nullptr;
};

// One bucket: the variables eliminated in it, the other variables of its
// scope, the tables placed in it and the messages it receives.
struct Bucket {
    int position = 0;      // position of its (first) variable in the elimination order
    int sharingCount = 0;  // how many of its other variables its parent holds; 0 for a root
    VarList ownVars;       // eliminated here; the bucket's variable first, merging appends more
    VarList otherVars;     // the rest of the scope, never one of ownVars
    FunctionList functions;  // placed tables (no sender), then received messages
    Bucket* parent = nullptr;  // null for a root
    std::vector<Bucket*> children;  // in attachment order
    // The location records of the variables this bucket holds; the bucket
    // owns them, the tree's `locations` only points at them.
    std::vector<std::unique_ptr<LocationRecord>> locationList;
};

// One pedigree's bucket tree (a forest when the network falls apart).
struct BucketTree {
    std::vector<std::unique_ptr<Bucket>> buckets;  // every bucket; after construction by sharingCount, largest first
    std::vector<Bucket*> order;                    // the elimination order: by increasing position, roots' side first
    std::vector<LocationRecord*> locations;        // one per record, the last position first
    std::unordered_map<const Variable*, LocationRecord*> locationOf;  // `locations` by variable
};

using BucketTreeArray = std::vector<std::unique_ptr<BucketTree>>;

}  // namespace pedlik

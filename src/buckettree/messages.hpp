#pragma once

#include "buckettree/bte_settings.hpp"
#include "buckettree/bucket_tree.hpp"

namespace pedlik {

// Lambda messages go from a bucket to its parent, pi messages from a bucket
// to each child. Every computation works on a copy of the bucket's function
// list, so the bucket's own list is never consumed.

// Copies of the bucket's entries, in order, leaving out those sent by
// `excluded` (null: none) ("bte-GetBucketMessages").
FunctionList GetBucketMessages(const Bucket& bucket, const Bucket* excluded);

// Sends the parent the product of everything the bucket holds with the
// bucket's own variables summed out. Roots and empty buckets send nothing.
void GetLambda(Bucket& bucket, const BteSettings& settings = {});

// The product of the work list's functions with the variables of `sumOut`
// summed out: a function over the others, a table the caller owns. Null
// for an empty list.
OwnedFunction Belief(FunctionList work, const VarList& sumOut, const BteSettings& settings = {});

// Appends the message to the receiver's functions, with `sender`; each of
// its variables the receiver did not have goes to the front of the
// receiver's otherVars. Nothing happens without a receiver.
void SendMessage(Bucket* receiver, const Bucket& sender, OwnedFunction message);

// Whether the variable is in the bucket's scope: its ownVars or otherVars.
bool inScope(const Bucket& bucket, const Variable* variable);

// The bucket's ownVars, then its otherVars, without `first` and `second`
// ("bte- GetBucketVars").
VarList GetBucketVars(const Bucket& bucket, const Variable* first, const Variable* second);

}  // namespace pedlik

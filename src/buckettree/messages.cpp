#include "buckettree/messages.hpp"

#include "buckettree/list_sum_out.hpp"
#include "buckettree/multiply.hpp"
#include "buckettree/standalone_function.hpp"
#include "driver/allocation.hpp"

namespace pedlik {

namespace {

void sumOutAll(FunctionList& work, const VarList& sumOut, ResultLabels labels, const BteSettings& settings) {
    for (Variable* variable : sumOut) sumOutOfList(work, *variable, labels, settings);
}

// The work list reduced to one function its caller owns: the product of
// several, the list's own result, or a copy of a function the list only
// points at (a bucket's table or message).
OwnedFunction takeResult(FunctionList& work, const BteSettings& settings) {
    if (work.size() > 1) MultiplyFunctions(work, settings);
    FunctionEntry& entry = work.front();
    if (entry.owned != nullptr) return std::move(entry.owned);
    OwnedFunction copy = NewFunction(entry.function->probablist, entry.function->logScale, entry.function->vars);
    copy->intermediate = 1;
    return copy;
}

}  // namespace

FunctionList GetBucketMessages(const Bucket& bucket, const Bucket* excluded) {
    return CopyFunctionList(bucket.functions, excluded);
}

void GetLambda(Bucket& bucket, const BteSettings& settings) {
    if (bucket.functions.empty() || bucket.parent == nullptr) return;
    FunctionList work = GetBucketMessages(bucket, nullptr);
    sumOutAll(work, bucket.ownVars, {"bte- GetLambda", "bte-GetLambda"}, settings);
    SendMessage(bucket.parent, bucket, takeResult(work, settings));
}

void GetPi(Bucket& bucket, Bucket& child, const BteSettings& settings) {
    if (bucket.functions.empty()) return;
    FunctionList work = GetBucketMessages(bucket, &child);
    if (work.empty()) return;
    sumOutAll(work, GetPiVars(child, bucket), {"bte- GetPi", "bte-GetPi"}, settings);
    SendMessage(&child, bucket, takeResult(work, settings));
}

OwnedFunction Belief(FunctionList work, const VarList& sumOut, const BteSettings& settings) {
    if (work.empty()) return nullptr;
    sumOutAll(work, sumOut, {"bte- Belief", "bte- Belief"}, settings);
    return takeResult(work, settings);
}

void SendMessage(Bucket* receiver, const Bucket& sender, OwnedFunction message) {
    if (receiver == nullptr) return;
    message->intermediate = 0;
    const Function& sent = *message;
    allocateOrDie("BTE-SendMessage", [&] {
        FunctionEntry entry = ownedEntry(std::move(message));
        entry.sender = &sender;
        receiver->functions.push_back(std::move(entry));
    });
    for (Variable* variable : sent.vars) {
        if (InVarList(receiver->otherVars, variable) || InVarList(receiver->ownVars, variable)) continue;
        allocateOrDie("bte-sendmessage", [&] { receiver->otherVars.insert(receiver->otherVars.begin(), variable); });
    }
}

VarList GetPiVars(const Bucket& child, const Bucket& bucket) {
    VarList missing;
    for (const VarList* list : {&bucket.otherVars, &bucket.ownVars}) {
        for (Variable* variable : *list) {
            if (InVarList(child.otherVars, variable) || InVarList(child.ownVars, variable)) continue;
            allocateOrDie("Bte - Addtovarlist", [&] { missing.push_back(variable); });
        }
    }
    return missing;
}

VarList GetBucketVars(const Bucket& bucket, const Variable* first, const Variable* second) {
    VarList vars;
    allocateOrDie("bte- GetBucketVars", [&] { vars.reserve(bucket.ownVars.size() + bucket.otherVars.size()); });
    for (const VarList* list : {&bucket.ownVars, &bucket.otherVars}) {
        for (Variable* variable : *list) {
            if (variable != first && variable != second) vars.push_back(variable);
        }
    }
    return vars;
}

}  // namespace pedlik

#include "buckettree/messages.hpp"

#include "buckettree/list_sum_out.hpp"
#include "base/allocation.hpp"

namespace pedlik {

FunctionList GetBucketMessages(const Bucket& bucket, const Bucket* excluded) {
    return CopyFunctionList(bucket.functions, excluded);
}

void GetLambda(Bucket& bucket, const BteSettings& settings) {
    if (bucket.functions.empty() || bucket.parent == nullptr) return;
    FunctionList work = GetBucketMessages(bucket, nullptr);
    sumOutVariables(work, bucket.ownVars, {"bte- GetLambda", "bte-GetLambda"}, settings);
    SendMessage(bucket.parent, bucket, takeResult(work, settings));
}

OwnedFunction Belief(FunctionList work, const VarList& sumOut, const BteSettings& settings) {
    if (work.empty()) return nullptr;
    sumOutVariables(work, sumOut, {"bte- Belief", "bte- Belief"}, settings);
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
        if (inScope(*receiver, variable)) continue;
        allocateOrDie("bte-sendmessage", [&] { receiver->otherVars.insert(receiver->otherVars.begin(), variable); });
    }
}

bool inScope(const Bucket& bucket, const Variable* variable) {
    return InVarList(bucket.otherVars, variable) || InVarList(bucket.ownVars, variable);
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

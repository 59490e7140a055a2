#include "buckettree/pi_messages.hpp"

#include <algorithm>
#include <span>

#include "buckettree/list_sum_out.hpp"
#include "buckettree/messages.hpp"
#include "base/allocation.hpp"

namespace pedlik {

namespace {

// The variables of the list that none of the children knows.
VarList unknownToAll(const FunctionList& work, std::span<Bucket* const> children) {
    VarList unknown;
    for (Variable* variable : getvarrray(work, nullptr)) {
        const bool known = std::any_of(children.begin(), children.end(),
                                       [&](const Bucket* child) { return inScope(*child, variable); });
        if (!known) allocateOrDie("Bte - Addtovarlist", [&] { unknown.push_back(variable); });
    }
    return unknown;
}

// Sends each of `children` its pi message, computed from `work`: everything
// the bucket holds except the lambda messages of these children. Halving
// the children shares the work among them: each half gets the list with the
// other half's lambda messages added and every variable that no child of
// the half knows summed out, once for the whole half.
void servePi(const Bucket& bucket, FunctionList& work, std::span<Bucket* const> children, const BteSettings& settings) {
    if (children.size() == 1) {
        if (work.empty()) return;
        sumOutVariables(work, unknownToAll(work, children), {"bte- GetPi", "bte-GetPi"}, settings);
        SendMessage(children.front(), bucket, takeResult(work, settings));
        return;
    }
    const std::size_t half = children.size() / 2;
    const std::span<Bucket* const> parts[2] = {children.first(half), children.subspan(half)};
    for (int k = 0; k < 2; ++k) {
        FunctionList part = CopyFunctionList(work);
        for (const FunctionEntry& entry : bucket.functions) {
            const std::span<Bucket* const> others = parts[1 - k];
            if (std::find(others.begin(), others.end(), entry.sender) == others.end()) continue;
            allocateOrDie("bte-GetBucketMessages", [&] { part.push_back(FunctionEntry{entry.function, nullptr, nullptr}); });
        }
        sumOutVariables(part, unknownToAll(part, parts[k]), {"bte- GetPi", "bte-GetPi"}, settings);
        servePi(bucket, part, parts[k], settings);
    }
}

}  // namespace

void GetPi(Bucket& bucket, const std::function<bool(const Bucket&)>& needsPi, const BteSettings& settings) {
    if (bucket.functions.empty()) return;
    std::vector<Bucket*> served;
    for (Bucket* child : bucket.children) {
        if (needsPi(*child)) allocateOrDie("Bte-RunBte", [&] { served.push_back(child); });
    }
    if (served.empty()) return;
    FunctionList shared;
    for (const FunctionEntry& entry : bucket.functions) {
        if (std::find(served.begin(), served.end(), entry.sender) != served.end()) continue;
        allocateOrDie("bte-GetBucketMessages", [&] { shared.push_back(FunctionEntry{entry.function, nullptr, nullptr}); });
    }
    servePi(bucket, shared, served, settings);
}

}  // namespace pedlik

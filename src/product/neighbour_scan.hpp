#pragma once

namespace pedlik {

// Calls `visit` once for every distinct variable other than `variable` that
// shares a function with it, in order of first appearance: functions in
// funcs order, each function's variables in table order. Serves the
// product's variables and the ordering's light copies alike; both keep a
// scratch `mark` for this scan.
template <typename Var, typename Visit>
void forEachNeighbour(Var& variable, Visit visit) {
    for (const auto* function : variable.funcs) {
        for (auto* listed : function->vars) listed->mark = 0;
    }
    variable.mark = 1;
    for (const auto* function : variable.funcs) {
        for (auto* listed : function->vars) {
            if (listed->mark) continue;
            listed->mark = 1;
            visit(*listed);
        }
    }
}

}  // namespace pedlik

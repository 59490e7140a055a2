#pragma once

#include <vector>

namespace pedlik {

// Which part of a split run computes each work unit, decided alike by every
// part from what all of them know before any elimination: the predicted
// cost of each pedigree's elimination and the branch count its first
// conditioning is predicted to have. The predicted units, in the order
// (value, pedigree, branch), are cut into runs of equal predicted cost, one
// run per part; the branches of a pedigree at a value that several parts
// share are then dealt to those parts in turn.
class UnitDealing {
public:
    // `costs` and `branches` by pedigree; parts are numbered from 0.
    UnitDealing(int parts, int valueCount, const std::vector<double>& costs, const std::vector<int>& branches);

    // The part of branch `branch` of the pedigree at the value: a branch
    // count other than predicted wraps around the predicted ones; -1 (the
    // whole pedigree) is the first branch's part.
    int owner(int value, int pedigree, int branch) const;
    // Whether the part computes any unit of the pedigree at the value.
    bool ownsAny(int part, int value, int pedigree) const;

private:
    int pedigreeCount;
    std::vector<int> branches;
    std::vector<int> firstSlot;  // by (value, pedigree): index of its first slot in `owners`
    std::vector<int> owners;
};

}  // namespace pedlik

#include "product/neighbours.hpp"

#include "product/neighbour_scan.hpp"

namespace pedlik {

void clearNeighbourMarks(Variable& variable) {
    for (const Function* function : variable.funcs) {
        for (Variable* listed : function->vars) listed->mark = 0;
    }
}

Neighbourhood collectNeighbours(Variable& variable, std::span<Variable*> out) {
    Neighbourhood neighbourhood;
    forEachNeighbour(variable, [&](Variable& neighbour) {
        out[neighbourhood.count++] = &neighbour;
        neighbourhood.size *= static_cast<std::size_t>(neighbour.valueCount);
    });
    return neighbourhood;
}

double neighbourhoodSize(Variable& variable) {
    double size = 1.0;
    forEachNeighbour(variable, [&](const Variable& neighbour) { size *= neighbour.valueCount; });
    return size;
}

}  // namespace pedlik

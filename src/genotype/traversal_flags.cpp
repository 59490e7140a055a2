#include "genotype/traversal_flags.hpp"

namespace pedlik {

void clearTraversalFlags(Pedigree& pedigree) {
    for (Person& person : pedigree.persons) {
        person.entered = 0;
        person.done = 0;
    }
}

}  // namespace pedlik

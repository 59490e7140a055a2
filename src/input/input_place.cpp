#include "input/input_place.hpp"

#include "base/errors.hpp"
#include "input/process_state.hpp"

namespace pedlik {

std::string describePlace(const InputPlace& place) {
    std::string text = formatMessage("In %s, line %d", place.path.c_str(), place.line);
    const char* separator = ": ";
    auto add = [&](const char* what, int number) {
        text.append(separator).append(formatMessage("%s %d", what, number));
        separator = ", ";
    };
    if (place.pedigreeId) add("pedigree", *place.pedigreeId);
    if (place.personId) add("person", *place.personId);
    if (place.locus > 0) add("locus", place.locus);
    return text + ".";
}

void inputErrorAt(const InputPlace& place, const std::string& message) { inputError(message, describePlace(place)); }

void inputWarningAt(const InputPlace& place, const std::string& message) {
    inputWarning(message + " " + describePlace(place));
}

int locusPlace(int r) {
    const std::vector<int>& order = runParameters.lociOrder;
    for (size_t k = 0; k < order.size(); ++k) {
        if (order[k] == r + 1) return static_cast<int>(k) + 1;
    }
    return 0;
}

InputPlace personPlace(const Pedigree& pedigree, const Person& person, int r) {
    return {inputPaths.pedigreeFile, person.fileLine, r < 0 ? 0 : locusPlace(r), pedigree.pedigreeId, person.id};
}

}  // namespace pedlik

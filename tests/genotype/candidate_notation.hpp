#pragma once

#include <sstream>
#include <string>

#include "input/records.hpp"

namespace pedlik::testing {

// Candidate lists written as their alleles in list order, a marked node with
// a star: "1 2* 3".
inline CandidateList candidates(const std::string& text) {
    CandidateList list;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        const bool marked = word.back() == '*';
        list.push_back(halfLocusPerson{std::stoi(word), marked ? 1 : 0});
    }
    return list;
}

inline std::string notation(const CandidateList& list) {
    std::string text;
    for (const halfLocusPerson& node : list) {
        text += (text.empty() ? "" : " ") + std::to_string(node.allele) + (node.mark ? "*" : "");
    }
    return text;
}

}  // namespace pedlik::testing

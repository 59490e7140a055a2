#include "input/pedigree_reader.hpp"

#include <memory>
#include <vector>

#include "base/allocation.hpp"
#include "input/end_of_file.hpp"
#include "base/errors.hpp"
#include "input/input_files.hpp"
#include "input/input_place.hpp"
#include "input/link_check.hpp"
#include "input/loop_breakers.hpp"
#include "input/person_reader.hpp"
#include "input/premakeped_links.hpp"
#include "input/process_state.hpp"
#include "input/text_reading.hpp"

namespace pedlik {

namespace {

int requireLeadingNumber(TextStream& stream, int lineNumber) {
    int value = 0;
    if (readInt(stream, value)) return value;
    const std::string found = describeNextText(stream);
    inputErrorAt({stream.path, stream.tokenLine},
                 formatMessage("Expected the pedigree number at the start of person line %d of the pedigree file, "
                               "but found %s.\n",
                               lineNumber, found.c_str()));
}

void appendPedigree(PedigreeList& list, int pedigreeId, int personCount) {
    auto pedigree = allocateOrDie("pedigree entry", [] { return std::make_unique<Pedigree>(); });
    allocateOrDie("people field", [&] { pedigree->persons.resize(personCount); });
    pedigree->personCount = personCount;
    pedigree->pedigreeId = pedigreeId;
    Pedigree* added = pedigree.get();
    allocateOrDie("pedigree entry", [&] { list.storage.push_back(std::move(pedigree)); });
    if (list.head == nullptr) {
        list.head = added;
    } else {
        list.storage[list.storage.size() - 2]->next = added;
    }
    ++list.count;
}

// A pedigree is a run of consecutive lines with the same first number.
void countPedigrees(TextStream& stream, PedigreeList& list) {
    list = PedigreeList{};
    int lineNumber = 1;
    int c = 0;
    if (!readInt(stream, c)) {
        if (atEndOfFile(stream.file)) return;
        requireLeadingNumber(stream, lineNumber);
    }
    while (!atEndOfFile(stream.file)) {
        const int id = c;
        int lineCount = 0;
        while (!atEndOfFile(stream.file) && c == id) {
            ++lineCount;
            ++lineNumber;
            skipLineAndBlankSpace(stream);
            if (!atEndOfFile(stream.file)) c = requireLeadingNumber(stream, lineNumber);
        }
        appendPedigree(list, id, lineCount);
    }
}

// The first person in line order without children, and the first without
// parents: where later stages start their walks.
void markFirstLeafAndFounder(Pedigree& pedigree) {
    for (Person& person : pedigree.persons) {
        if (pedigree.firstLeaf == nullptr && person.firstChild == nullptr) pedigree.firstLeaf = &person;
        if (pedigree.firstFounder == nullptr && person.father == nullptr && person.mother == nullptr) {
            pedigree.firstFounder = &person;
        }
    }
}

}  // namespace

void readPedigreeFile(std::FILE*& file, const char* path, PedigreeFormat format) {
    PedigreeList& list = runParameters.pedigrees;
    inputPaths.pedigreeFile = path;
    TextStream counting{file, path};
    countPedigrees(counting, list);
    openInputFile(file, path);
    TextStream stream{file, path};
    int pedigreeIndex = 0;
    for (Pedigree* pedigree = list.head; pedigree != nullptr; pedigree = pedigree->next, ++pedigreeIndex) {
        std::vector<PersonLine> lines;
        allocateOrDie("people field", [&] { lines.resize(pedigree->personCount); });
        for (int j = 0; j < pedigree->personCount; ++j) lines[j] = readPerson(stream, *pedigree, j, pedigreeIndex, format);
        if (format == PedigreeFormat::PreMakeped) linkByParentIds(*pedigree, lines, pedigreeIndex);
        markFirstLeafAndFounder(*pedigree);
        checkLinks(*pedigree, pedigreeIndex);
        if (format == PedigreeFormat::PostMakeped && mergeLoopBreakers(*pedigree, lines, pedigreeIndex)) {
            markFirstLeafAndFounder(*pedigree);
            checkLinks(*pedigree, pedigreeIndex);
        }
    }
}

}  // namespace pedlik

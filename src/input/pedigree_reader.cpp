#include "input/pedigree_reader.hpp"

#include <memory>

#include "base/allocation.hpp"
#include "input/end_of_file.hpp"
#include "base/errors.hpp"
#include "input/input_files.hpp"
#include "input/link_check.hpp"
#include "input/person_reader.hpp"
#include "input/process_state.hpp"
#include "input/text_reading.hpp"

namespace pedlik {

namespace {

int requireLeadingNumber(std::FILE* stream, int lineNumber) {
    int value = 0;
    if (readInt(stream, value)) return value;
    inputError(formatMessage("Expected the pedigree number at the start of person line %d of the pedigree file, "
                             "but found %s.\n",
                             lineNumber, describeNextText(stream).c_str()));
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
void countPedigrees(std::FILE* stream, PedigreeList& list) {
    list = PedigreeList{};
    int lineNumber = 1;
    int c = 0;
    if (!readInt(stream, c)) {
        if (atEndOfFile(stream)) return;
        requireLeadingNumber(stream, lineNumber);
    }
    while (!atEndOfFile(stream)) {
        const int id = c;
        int lineCount = 0;
        while (!atEndOfFile(stream) && c == id) {
            ++lineCount;
            ++lineNumber;
            skipLineAndBlankSpace(stream);
            if (!atEndOfFile(stream)) c = requireLeadingNumber(stream, lineNumber);
        }
        appendPedigree(list, id, lineCount);
    }
}

}  // namespace

void readPedigreeFile(std::FILE*& stream, const char* path) {
    PedigreeList& list = runParameters.pedigrees;
    countPedigrees(stream, list);
    openInputFile(stream, path);
    int pedigreeIndex = 0;
    for (Pedigree* pedigree = list.head; pedigree != nullptr; pedigree = pedigree->next, ++pedigreeIndex) {
        for (int j = 0; j < pedigree->personCount; ++j) readPerson(stream, *pedigree, j, pedigreeIndex);
        checkLinks(*pedigree, pedigreeIndex);
    }
}

}  // namespace pedlik

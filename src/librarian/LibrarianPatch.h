#pragma once

#include "src/librarian/PatchSysexMessage.h"

#include <string>
#include <vector>

// One slot of a bank: the name and category shown by the browser and the dump or dumps of
// one sound, multi or pattern. An empty slot has no dump.
class LibrarianPatch {
public:
    // Kind codes the bank readers give their entries.
    enum Kind { kUnset = 0, kSoundKind = 1, kPatternKind = 2, kMultiKind = 5 };

    // Appends the 4 bytes at offset..offset+3 of the first dump to the category, one
    // character each; bytes the dump does not have are left out.
    void parseCategory(int offset);

    int kind = kUnset;
    std::string name;
    std::string category;
    std::vector<PatchSysexMessage> dumps;
};

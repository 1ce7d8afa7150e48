#pragma once

#include "src/librarian/LibrarianPatch.h"

#include <string>
#include <vector>

// One bank: a bank file of the patches folder, or a category or search bank made in memory.
class PatchFile {
public:
    enum BankType { kSoundBank = 0, kMultiBank = 1, kPatternBank = 2 };
    enum SourceModel { kQ = 0, kMicroQ = 1, kBlofeld = 2 };
    static constexpr int kBankSize = 100;

    // A deep copy of type, model, entries and file name, as saving needs it; the caller owns it.
    PatchFile* clone() const;

    int bankType = kSoundBank;
    int sourceModel = kQ;
    std::vector<LibrarianPatch> entries;
    std::string fileName;
    std::string holdingFolder;
    // The folder names from the patches folder ("Patches") down to the holding folder.
    std::vector<std::string> folderParts;
    // 0 for bank files; the bank number less one for search banks; the category's position
    // in the category names for category banks.
    int tag = 0;
};

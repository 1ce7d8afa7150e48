#include "src/librarian/LibrarianInitData.h"
#include "src/librarian/PatchLibrarian.h"

#include <algorithm>

namespace {
constexpr int kSoundNameOffset = PatchSysexMessage::kSoundNameOffset;
constexpr int kMultiNameOffset = PatchSysexMessage::kMultiNameOffset;
constexpr int kPatternNameOffset = PatchSysexMessage::kPatternNameOffset;
constexpr int kCategoryOffset = PatchSysexMessage::kCategoryOffset;

LibrarianPatch entryOf(std::vector<uint8_t> bytes, int nameOffset, int kind) {
    LibrarianPatch entry;
    entry.kind = kind;
    entry.dumps.emplace_back(std::move(bytes));
    entry.name = entry.dumps.front().text(nameOffset, 16);
    return entry;
}

// The filler of sound slot n (counted from 1): the init sound named "Init", nine blanks and
// n in three digits, with four zero bytes as category.
LibrarianPatch numberedInitSound(int n) {
    std::vector<uint8_t> b(initPatchData, initPatchData + kSoundNameOffset);
    const std::string name =
        "Init         " +
        std::string{char('0' + n / 100), char('0' + n % 100 / 10), char('0' + n % 10)};
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), {0, 0, 0, 0, 0x7F, 0xF7});
    LibrarianPatch entry = entryOf(std::move(b), kSoundNameOffset, LibrarianPatch::kUnset);
    entry.parseCategory(kCategoryOffset);
    return entry;
}
} // namespace

void PatchLibrarian::checkBankSizeAndAddData(PatchFile* bank) {
    if (bank->entries.empty()) return;
    const size_t full = PatchFile::kBankSize;
    if (bank->bankType == PatchFile::kMultiBank) {
        while (bank->entries.size() < full)
            bank->entries.push_back(entryOf({initMultiData, initMultiData + sizeof initMultiData},
                                            kMultiNameOffset, LibrarianPatch::kUnset));
    } else if (bank->bankType == PatchFile::kSoundBank) {
        while (bank->entries.size() < full)
            bank->entries.push_back(numberedInitSound(int(bank->entries.size()) + 1));
    }
}

void PatchLibrarian::createCategories(PatchFile* bank) {
    if (bank->entries.empty()) return;
    if (categoryNames.empty()) categoryNames.push_back("Init");
    std::vector<std::string> known;
    for (const std::string& name : categoryNames)
        known.push_back(lowerCase(name));
    for (const LibrarianPatch& entry : bank->entries) {
        const std::string lower = lowerCase(entry.category);
        if (std::find(known.begin(), known.end(), lower) != known.end()) continue;
        categoryNames.push_back(entry.category);
        known.push_back(lower);
    }
}

void PatchLibrarian::fillUncompletedBankFiles(PatchFile* bank) {
    if (bank->entries.empty() || bank->entries.front().dumps.empty()) return;
    LibrarianPatch filler;
    switch (bank->entries.front().dumps.front().messageId()) {
    case PatchSysexMessage::kPattern:
        filler = entryOf(initPatternData(), kPatternNameOffset, LibrarianPatch::kPatternKind);
        break;
    case PatchSysexMessage::kSound:
        filler = entryOf({initPatchData, initPatchData + sizeof initPatchData}, kSoundNameOffset,
                         LibrarianPatch::kSoundKind);
        filler.parseCategory(kCategoryOffset);
        break;
    default:
        filler = entryOf({initMultiData, initMultiData + sizeof initMultiData}, kMultiNameOffset,
                         LibrarianPatch::kMultiKind);
        break;
    }
    if (bank->entries.size() < size_t(PatchFile::kBankSize))
        bank->entries.resize(PatchFile::kBankSize, filler);
}

#include "src/librarian/PatchLibrarian.h"

#include <algorithm>
#include <iterator>

// Category and search banks: memory-only sound banks of at most 100 copies of the sounds of
// the sound banks, never written to disk.

namespace {
// A fresh entry from the first `keep` dumps of a sound, its name and category read from the
// first dump.
LibrarianPatch rebuiltSound(const LibrarianPatch& source, size_t keep, int kind) {
    LibrarianPatch entry;
    entry.kind = kind;
    for (size_t i = 0; i < source.dumps.size() && i < keep; ++i)
        entry.dumps.push_back(source.dumps[i]);
    entry.name = entry.dumps.front().text(PatchSysexMessage::kSoundNameOffset, 16);
    entry.parseCategory(PatchSysexMessage::kCategoryOffset);
    return entry;
}

std::string upToZero(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

// Cuts the collected entries into banks of at most 100, named "<stem> 1", "<stem> 2" ….
std::vector<PatchFile*> banksOf(std::vector<LibrarianPatch>& collected, const std::string& stem,
                                const std::string& holdingFolder) {
    std::vector<PatchFile*> banks;
    for (size_t first = 0; first < collected.size(); first += PatchFile::kBankSize) {
        auto* bank = new PatchFile;
        const size_t last = std::min(collected.size(), first + PatchFile::kBankSize);
        bank->entries.assign(std::make_move_iterator(collected.begin() + long(first)),
                             std::make_move_iterator(collected.begin() + long(last)));
        bank->fileName = stem + " " + std::to_string(banks.size() + 1);
        bank->holdingFolder = holdingFolder;
        banks.push_back(bank);
    }
    return banks;
}
} // namespace

void PatchLibrarian::createNewCategoryPatchFiles() {
    KIT_MutexLock lock(&m_mutex);
    for (size_t c = 1; c < categoryNames.size(); ++c) {
        const std::string category = upToZero(categoryNames[c]);
        std::vector<LibrarianPatch> collected;
        for (const PatchFile* bank : soundBanks)
            for (const LibrarianPatch& entry : bank->entries)
                if (!entry.dumps.empty() && upToZero(entry.category) == category)
                    collected.push_back(rebuiltSound(entry, 1, LibrarianPatch::kSoundKind));

        for (PatchFile* bank : banksOf(collected, category, category)) {
            bank->tag = int(c);
            categoryBanks.push_back(adopt(bank));
            bool filed = false;
            for (auto& level1 : categoryTree) {
                for (SubFolderFiles& level2 : level1->subFolders) {
                    if (level2.name == category) {
                        level2.files.push_back(bank);
                        filed = true;
                    }
                }
            }
            if (!filed)
                categoryTree.push_back(std::make_unique<FolderFiles>(
                    bank->fileName, SubFolderFiles{category, {}, {bank}}));
        }
    }
}

void PatchLibrarian::createNewSearchPatchFiles(const std::string& text) {
    KIT_MutexLock lock(&m_mutex);
    // The old results go, and with them the tree nodes that point at them.
    searchBanks.clear();
    searchTree.clear();
    m_searchResults.clear();
    std::vector<LibrarianPatch> collected;
    for (const PatchFile* bank : soundBanks) {
        if (bank->bankType != PatchFile::kSoundBank) continue;
        for (const LibrarianPatch& entry : bank->entries)
            if (!entry.dumps.empty() && entry.name.find(text) != std::string::npos)
                collected.push_back(rebuiltSound(entry, 2, LibrarianPatch::kUnset));
    }
    for (PatchFile* bank : banksOf(collected, "Search Results", "Patches")) {
        bank->tag = int(searchBanks.size());
        m_searchResults.emplace_back(bank);
        searchBanks.push_back(bank);
        if (!searchTree.empty() && searchTree.front()->name == "Patches") {
            searchTree.front()->files.push_back(bank);
        } else {
            auto node = std::make_unique<FolderFiles>();
            node->name = "Patches";
            node->files.push_back(bank);
            searchTree.push_back(std::move(node));
        }
    }
}

#include "src/librarian/PatchLibrarian.h"

#include "src/debugger/DebuggerOutput.h"
#include "src/librarian/LibrarianHost.h"

#include <algorithm>

PatchLibrarian::PatchLibrarian(LibrarianHost& host) : m_host(host) {}

PatchLibrarian::~PatchLibrarian() = default;

std::string PatchLibrarian::lowerCase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

void PatchLibrarian::log(const std::string& text) const {
    if (m_host.isDebugLogOn()) DebuggerOutput::printDebugInfo(m_host.logFilePath(), text);
}

std::vector<PatchFile*>* PatchLibrarian::bankList(int type) {
    switch (type) {
    case PatchFile::kSoundBank:
        return &soundBanks;
    case PatchFile::kMultiBank:
        return &multiBanks;
    case PatchFile::kPatternBank:
        return &patternBanks;
    default:
        return nullptr;
    }
}

PatchFile* PatchLibrarian::adopt(PatchFile* bank) {
    m_banks.emplace_back(bank);
    return bank;
}

void PatchLibrarian::clearDataStructures(int which) {
    FolderTree* const trees[] = {&soundTree, &multiTree, &categoryTree, &searchTree, &patternTree};
    if (which < 0 || which >= int(sizeof trees / sizeof trees[0])) return;
    KIT_MutexLock lock(&m_mutex);
    trees[which]->clear();
}

PatchFile* PatchLibrarian::upperBank() {
    std::vector<PatchFile*>* list = bankList(currentType);
    const int index = upperBankIndex;
    return list && unsigned(index) < list->size() ? (*list)[size_t(index)] : nullptr;
}

bool PatchLibrarian::hasUpperBank() {
    KIT_MutexLock lock(&m_mutex);
    return upperBank() != nullptr;
}

bool PatchLibrarian::setSysexDatatoSelectedSlot(const LibrarianPatch* incoming, int slot) {
    KIT_MutexLock lock(&m_mutex);
    PatchFile* bank = upperBank();
    if (slot < 0) slot = upperSlotIndex;
    if (!incoming || !bank) {
        log("PATCH LIBRARIAN: no bank " + std::to_string(upperBankIndex) + " of type " +
            std::to_string(currentType) + " to store into, entry dropped");
        return false;
    }
    if (slot < 0 || slot >= PatchFile::kBankSize) {
        log("PATCH LIBRARIAN: slot " + std::to_string(slot) +
            " lies outside the bank, entry dropped");
        return false;
    }
    // Copied first: the incoming entry may be one of the bank's own.
    LibrarianPatch copy = *incoming;
    bank->entries.resize(PatchFile::kBankSize);
    bank->entries[size_t(slot)] = std::move(copy);
    return true;
}

void PatchLibrarian::fileIntoFolderTree(FolderTree* tree, PatchFile* file) {
    const std::vector<std::string>& parts = file->folderParts;
    const size_t n = parts.size();
    if (n < 1 || n > 3) return;

    // Nodes are matched by the holding folder's name alone, at the file's level.
    const std::string& holding = file->holdingFolder;
    bool filed = false;
    for (auto& level1 : *tree) {
        if (n == 1 && level1->name == holding) {
            level1->files.push_back(file);
            filed = true;
        }
        for (SubFolderFiles& level2 : level1->subFolders) {
            if (n == 2 && level2.name == holding) {
                level2.files.push_back(file);
                filed = true;
            }
            for (SubFolderFiles2& level3 : level2.subFolders) {
                if (n == 3 && level3.name == holding) {
                    level3.files.push_back(file);
                    filed = true;
                }
            }
        }
    }
    if (filed) return;

    auto branch = std::make_unique<FolderFiles>();
    if (n == 1) {
        branch->name = parts[0];
        branch->files.push_back(file);
    } else {
        SubFolderFiles level2;
        level2.name = parts[1];
        if (n == 2)
            level2.files.push_back(file);
        else
            level2.subFolders.push_back({parts[2], {file}});
        branch->subFolders.push_back(std::move(level2));
    }
    tree->push_back(std::move(branch));
}

void removeCharsFromString(std::string& text, const char* characters) {
    for (const char* c = characters; c && *c; ++c)
        text.erase(std::remove(text.begin(), text.end(), *c), text.end());
}

#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"
#include "src/librarian/LibrarianHost.h"
#include "src/librarian/PatchLibrarian.h"

namespace {
const char* const kSaveFailed = "BANK NOT SAVED!";

// The upper bank position of the plug-in's mode, whose remembered file name a save updates.
LibrarianHost::BankPosition upperPositionOfMode(const LibrarianHost& host) {
    if (host.isSequenceMode()) return LibrarianHost::kUpperPattern;
    if (host.isMultiMode()) return LibrarianHost::kUpperMulti;
    return LibrarianHost::kUpperSound;
}
} // namespace

std::unique_ptr<PatchFile> PatchLibrarian::upperBankForSaving() {
    KIT_MutexLock lock(&m_mutex);
    const PatchFile* upper = upperBank();
    if (!upper) {
        log("PATCH LIBRARIAN: no upper bank to save");
        m_host.showDisplayName(kSaveFailed);
        return nullptr;
    }
    std::unique_ptr<PatchFile> bank(upper->clone());
    bank->entries.resize(PatchFile::kBankSize);
    return bank;
}

bool PatchLibrarian::saveBank(const PatchFile& bank, const std::string& path, bool asMidi) {
    ByteChunk image;
    BankFile::buildImage(bank, asMidi, &image);
    std::string error;
    if (BankFile::write(path, image, &error)) return true;
    log("PATCH LIBRARIAN: bank not saved: " + error);
    m_host.showDisplayName(kSaveFailed);
    return false;
}

bool PatchLibrarian::savePatchAs(const char* defaultName, const std::string& startFolder,
                                 bool asMidi) {
    const std::string chosen = m_host.promptForSaveFile(defaultName ? defaultName : "", startFolder,
                                                        asMidi ? "mid" : "vub");
    if (chosen.empty()) return false;

    const size_t slash = chosen.find_last_of("/\\");
    const std::string folderPart = slash == std::string::npos ? "" : chosen.substr(0, slash);
    const std::string fileName = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    const size_t folderStart = folderPart.find_last_of("/\\");
    std::string folderName =
        folderStart == std::string::npos ? folderPart : folderPart.substr(folderStart + 1);
    removeCharsFromString(folderName, "/\\");
    if (folderName.empty()) folderName = "Patches";

    const std::unique_ptr<PatchFile> bank = upperBankForSaving();
    if (!bank) return false;
    if (!saveBank(*bank, chosen, asMidi)) return false;
    m_host.setRememberedFolder(LibrarianHost::kUpperSound, folderName);
    m_host.setRememberedFileName(upperPositionOfMode(m_host), fileName);
    return true;
}

void PatchLibrarian::upperBankFile(std::string* folder, std::string* fileName) {
    KIT_MutexLock lock(&m_mutex);
    const PatchFile* bank = upperBank();
    if (!bank) return;
    *folder = m_host.dataFolder();
    for (const std::string& part : bank->folderParts)
        *folder += part + "/";
    *fileName = bank->fileName;
}

bool PatchLibrarian::saveUpperBank() {
    std::string folder, fileName;
    upperBankFile(&folder, &fileName);
    // Without an upper bank the save reports that nothing was saved.
    return saveEditedPatch(folder + fileName, fileName);
}

bool PatchLibrarian::saveEditedPatch(const std::string& path, const std::string& fileName) {
    const std::unique_ptr<PatchFile> bank = upperBankForSaving();
    if (!bank) return false;
    if (!saveBank(*bank, path, BankFile::extensionOf(fileName) == "mid")) return false;
    m_host.setRememberedFileName(upperPositionOfMode(m_host), fileName);
    return true;
}

#pragma once

#include "src/librarian/LibrarianHost.h"
#include "src/librarian/PatchLibrarian.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The plug-in as the librarian sees it: flags to set, a scripted save dialog and a record
// of what the librarian told it.
class LibrarianTestHost : public LibrarianHost {
public:
    bool isDebugLogOn() const override { return !logPath.empty(); }
    std::string logFilePath() const override { return logPath; }
    std::string dataFolder() const override { return data; }
    bool isMultiMode() const override { return multiMode; }
    bool isSequenceMode() const override { return sequenceMode; }
    std::string promptForSaveFile(const std::string& proposedName, const std::string& startFolder,
                                  const std::string& extension) override {
        prompted = {proposedName, startFolder, extension};
        return answer;
    }
    void setRememberedFileName(BankPosition position, const std::string& fileName) override {
        remembered[position][0] = fileName;
    }
    void setRememberedFolder(BankPosition position, const std::string& folder) override {
        remembered[position][1] = folder;
    }
    void showDisplayName(const std::string& text) override { displayed.push_back(text); }

    std::string logPath;
    std::string data;
    bool multiMode = false;
    bool sequenceMode = false;
    std::string answer;
    std::vector<std::string> prompted;
    std::string remembered[6][2];
    std::vector<std::string> displayed;
};

// A bank made in memory: one entry per dump, named and categorised as a sound.
inline std::unique_ptr<PatchFile> bankOf(const std::vector<std::vector<uint8_t>>& dumps,
                                         int type = PatchFile::kSoundBank) {
    auto bank = std::make_unique<PatchFile>();
    bank->bankType = type;
    for (const std::vector<uint8_t>& d : dumps) {
        LibrarianPatch e;
        e.dumps.emplace_back(d);
        e.name = e.dumps[0].text(PatchSysexMessage::kSoundNameOffset, 16);
        e.parseCategory(PatchSysexMessage::kCategoryOffset);
        bank->entries.push_back(e);
    }
    return bank;
}

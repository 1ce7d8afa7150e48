#include "src/core/StarterBanks.h"

#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/librarian/PatchFile.h"

namespace {

struct Starter {
    const char* fileName;
    std::vector<uint8_t> dump;
};

} // namespace

std::vector<std::string> StarterBanks::write(const std::string& folder) {
    const Starter starters[] = {
        {"Init Sounds.vub", {initPatchData, initPatchData + sizeof initPatchData}},
        {"Init Multis.vub", {initMultiData, initMultiData + sizeof initMultiData}},
        {"Init Patterns.vub", initPatternData()},
    };
    std::vector<std::string> problems;
    for (const Starter& starter : starters) {
        PatchFile bank;
        bank.entries.resize(PatchFile::kBankSize);
        for (LibrarianPatch& entry : bank.entries)
            entry.dumps.emplace_back(starter.dump);
        ByteChunk image;
        BankFile::buildImage(bank, false, &image);
        std::string error;
        if (!BankFile::write(BankFile::freeName(folder + "/" + starter.fileName), image, &error))
            problems.push_back(error);
    }
    return problems;
}

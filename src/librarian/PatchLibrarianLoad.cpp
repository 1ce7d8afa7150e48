#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"
#include "src/librarian/LibrarianHost.h"
#include "src/librarian/PatchLibrarian.h"

#include <Poco/DirectoryIterator.h>
#include <Poco/Exception.h>
#include <Poco/File.h>
#include <Poco/Path.h>

#include <algorithm>

namespace {
// Smaller files hold too few dumps to be banks (76 sounds and less).
constexpr Poco::File::FileSize kSmallestBankFile = 30001;
const char* const kBankExtensions[] = {"mid", "syx", "vub"};

bool isBankExtension(const std::string& extension) {
    return std::find(std::begin(kBankExtensions), std::end(kBankExtensions), extension) !=
           std::end(kBankExtensions);
}

// What a split writes of each kind: bank type and the suffix of its file names. The sound
// files are numbered from the first; the others from the second on.
struct SplitKind {
    uint8_t messageId;
    int bankType;
    const char* suffix;
    bool numberFirst;
};
const SplitKind kSplitKinds[] = {
    {PatchSysexMessage::kSound, PatchFile::kSoundBank, " Singles", true},
    {PatchSysexMessage::kMulti, PatchFile::kMultiBank, " Multis", false},
    {PatchSysexMessage::kPattern, PatchFile::kPatternBank, " Patterns", false},
};

std::vector<const LibrarianPatch*> entriesOfKind(const PatchFile& bank, int messageId) {
    std::vector<const LibrarianPatch*> found;
    for (const LibrarianPatch& entry : bank.entries)
        if (!entry.dumps.empty() && entry.dumps.front().messageId() == messageId)
            found.push_back(&entry);
    return found;
}

std::string describe(const std::exception& e) {
    const auto* poco = dynamic_cast<const Poco::Exception*>(&e);
    return poco ? poco->displayText() : e.what();
}
} // namespace

void PatchLibrarian::loadPatchesFromFilesystem(const std::string& patchesFolder) {
    KIT_MutexLock lock(&m_mutex);
    bool present = false;
    try {
        Poco::File folder(patchesFolder);
        present = folder.exists() && folder.isDirectory();
    } catch (const std::exception& e) {
        log("PATCH LIBRARIAN: " + describe(e));
    }
    if (!present) {
        log("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER...");
        return;
    }
    folderList.clear();
    buildFolderStructure(patchesFolder, &folderList);
    folderList.push_back(patchesFolder);
    const int rootDepth = Poco::Path(patchesFolder).makeDirectory().depth();

    for (const std::string& folder : folderList) {
        std::vector<std::string> names;
        try {
            Poco::File(folder).list(names);
        } catch (const std::exception& e) {
            log("PATCH LIBRARIAN: cannot list folder " + folder + ": " + describe(e));
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string path = folder + "/" + name;
            try {
                const Poco::Path p(path);
                const std::string extension = lowerCase(p.getExtension());
                if (!isBankExtension(extension)) continue;
                Poco::File file(path);
                if (!file.isFile() || file.getSize() < kSmallestBankFile) continue;
                PatchFile* bank = parseFolderFiles(path, p.depth() - rootDepth, 0, extension);
                if (!bank) continue;
                FolderTree* trees[] = {&soundTree, &multiTree, &patternTree};
                fileIntoFolderTree(trees[bank->bankType], bank);
            } catch (const std::exception& e) {
                log("PATCH LIBRARIAN: cannot load file " + path + ": " + describe(e));
            }
        }
    }
    if (m_reload) {
        // Loads the files the split wrote; that load builds the category banks.
        m_reload = false;
        initBankFilesOnDiscard(patchesFolder);
        return;
    }
    createNewCategoryPatchFiles();
}

void PatchLibrarian::buildFolderStructure(const std::string& folder,
                                          std::vector<std::string>* folders) {
    try {
        for (Poco::DirectoryIterator it(folder), end; it != end; ++it) {
            const std::string path = it->path();
            try {
                // A link may lead back up the tree.
                if (it->isLink() || !it->isDirectory()) continue;
            } catch (const std::exception& e) {
                log("PATCH LIBRARIAN: cannot look at " + path + ": " + describe(e));
                continue;
            }
            buildFolderStructure(path, folders);
            folders->push_back(path);
        }
    } catch (const std::exception& e) {
        log("PATCH LIBRARIAN: cannot list folder " + folder + ": " + describe(e));
    }
}

PatchFile* PatchLibrarian::parseFolderFiles(const std::string& path, int depth, int tag,
                                            const std::string& extension) {
    log("PATCH LIBRARIAN: loading file " + path);
    const Poco::Path p(path);
    auto bank = std::make_unique<PatchFile>();
    bank->fileName = p.getFileName();
    const int n = p.depth();
    for (int i = std::max(0, n - depth - 1); i < n; ++i)
        bank->folderParts.push_back(p.directory(i));
    if (n > 0) bank->holdingFolder = p.directory(n - 1);
    bank->tag = tag;

    ByteChunk chunk;
    std::string error;
    if (!BankFile::read(path, &chunk, &error)) {
        log("PATCH LIBRARIAN: " + error);
        return nullptr;
    }
    loadFromChunk(chunk, bank.get());
    if (bank->entries.size() > size_t(PatchFile::kBankSize)) {
        splitFile(*bank, path, extension);
        return nullptr;
    }
    if (bank->entries.empty()) return nullptr;
    fillUncompletedBankFiles(bank.get());
    bank->entries.resize(PatchFile::kBankSize);
    PatchFile* kept = adopt(bank.release());
    bankList(kept->bankType)->push_back(kept);
    return kept;
}

void PatchLibrarian::splitFile(const PatchFile& bank, const std::string& path,
                               const std::string& extension) {
    std::vector<std::string> written;
    bool ok = true;
    for (const SplitKind& kind : kSplitKinds) {
        const size_t count = entriesOfKind(bank, kind.messageId).size();
        for (int chunk = 0; ok && size_t(chunk) * PatchFile::kBankSize < count; ++chunk)
            ok = createNewPatchFile(bank, path, extension, chunk, kind.messageId, &written);
    }
    const std::string converted = m_host.dataFolder() + "Converted Banks/";
    if (ok) {
        try {
            Poco::File(converted).createDirectories();
            Poco::File(path).moveTo(BankFile::freeName(converted + Poco::Path(path).getFileName()));
        } catch (const std::exception& e) {
            log("PATCH LIBRARIAN: cannot move file " + path + ": " + describe(e));
            ok = false;
        }
    }
    if (!ok) {
        // Without its split files in place the file stays where it is, to be split next time.
        for (const std::string& w : written) {
            try {
                Poco::File(w).remove();
            } catch (const std::exception& e) {
                log("PATCH LIBRARIAN: cannot remove " + w + ": " + describe(e));
            }
        }
        log("PATCH LIBRARIAN: file " + path +
            " holds more than 100 patches and could not be split");
        return;
    }
    m_reload = true;
    log("PATCH LIBRARIAN: moved file " + converted + " due to mismatching data in package!");
}

bool PatchLibrarian::createNewPatchFile(const PatchFile& source, const std::string& fullPath,
                                        const std::string& extension, int chunk, int messageId,
                                        std::vector<std::string>* written) {
    const SplitKind* kind = nullptr;
    for (const SplitKind& k : kSplitKinds)
        if (k.messageId == messageId) kind = &k;
    const std::vector<const LibrarianPatch*> entries = entriesOfKind(source, messageId);
    const size_t start = size_t(chunk) * PatchFile::kBankSize;
    if (!kind || chunk < 0 || start >= entries.size()) return true;

    PatchFile out;
    out.bankType = kind->bankType;
    const size_t end = std::min(entries.size(), start + PatchFile::kBankSize);
    for (size_t i = start; i < end; ++i)
        out.entries.push_back(*entries[i]);
    fillUncompletedBankFiles(&out);
    out.entries.resize(PatchFile::kBankSize);

    const size_t slash = fullPath.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : fullPath.substr(0, slash + 1);
    std::string name = BankFile::baseNameOf(Poco::Path(fullPath).getFileName()) + kind->suffix;
    if (kind->numberFirst || chunk > 0) name += " " + std::to_string(chunk + 1);
    const std::string target = BankFile::freeName(folder + name + "." + extension);

    ByteChunk image;
    BankFile::buildImage(out, extension == "mid", &image);
    std::string error;
    if (!BankFile::write(target, image, &error)) {
        log("PATCH LIBRARIAN: " + error);
        return false;
    }
    written->push_back(target);
    return true;
}

void PatchLibrarian::initBankFilesOnDiscard(const std::string& patchesFolder) {
    KIT_MutexLock lock(&m_mutex);
    // The banks stay allocated: menus and jobs may still point at them.
    for (auto& bank : m_searchResults)
        m_banks.push_back(std::move(bank));
    m_searchResults.clear();
    for (auto* list : {&soundBanks, &multiBanks, &patternBanks, &searchBanks, &categoryBanks})
        list->clear();
    categoryNames.clear();
    for (int tree = 0; tree < 5; ++tree)
        clearDataStructures(tree);
    loadPatchesFromFilesystem(patchesFolder);
}

#pragma once

#include "kit/base/KIT_Mutex.h"
#include "src/librarian/FolderFiles.h"
#include "src/librarian/PatchFile.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class ByteChunk;
class LibrarianHost;

// The librarian store: every bank file of the patches folder in memory, completed to 100
// entries, filed into folder trees for the menus, plus the category and search banks made
// from the sound banks. One recursive mutex guards the bank lists, their entries and the
// trees: every operation here takes it, and so must any other thread that reads entries.
class PatchLibrarian {
public:
    // The host is not owned and outlives the librarian.
    explicit PatchLibrarian(LibrarianHost& host);
    ~PatchLibrarian();
    PatchLibrarian(const PatchLibrarian&) = delete;
    PatchLibrarian& operator=(const PatchLibrarian&) = delete;

    KIT_Mutex& mutex() { return m_mutex; }

    // Reading bank data --------------------------------------------------------------------
    // Reads every dump of a bank file's bytes into `bank`, then completes the bank and
    // collects its categories. The form (MIDI file or raw) is told from the bytes.
    void loadFromChunk(const ByteChunk& chunk, PatchFile* bank);
    // Reads the next dump at or after `position` (raw form) into `bank` as slot `slot`;
    // -1 when the data ended, else the position to go on from.
    int readSysexMessage(const ByteChunk& chunk, int& position, PatchFile* bank, int model,
                         int slot);
    // Reads the dump that a MIDI file's SysEx event holds at begin..end-1 (after its F0).
    // False for an event of another maker: a scan for dumps passes over it, so it takes no
    // slot number.
    bool readMIDIMessage(const ByteChunk& chunk, int begin, int end, PatchFile* bank, int model,
                         int slot);
    void checkBankSizeAndAddData(PatchFile* bank);
    void createCategories(PatchFile* bank);

    static void alterPatchFromBlofeldFormat(PatchSysexMessage* message);
    static void alterBlofeldCategoryFormat(PatchSysexMessage* message);
    static void alterPatchFromMicroQFormat(PatchSysexMessage* message);

    // Loading the patches folder -----------------------------------------------------------
    void loadPatchesFromFilesystem(const std::string& patchesFolder);
    // Appends every folder below `folder` (each after its own sub-folders) to `folders`;
    // folder links are not followed.
    void buildFolderStructure(const std::string& folder, std::vector<std::string>* folders);
    // Reads one bank file `depth` folders below the patches folder. Null when the file was
    // split, could not be read or held no dump; otherwise the bank, kept in its bank list.
    PatchFile* parseFolderFiles(const std::string& path, int depth, int tag,
                                const std::string& extension);
    // Forgets every bank and tree and loads the patches folder again.
    void initBankFilesOnDiscard(const std::string& patchesFolder);

    // Splitting and padding ----------------------------------------------------------------
    // Writes chunk `chunk` (100 entries from chunk × 100) of one kind of `source` as a bank
    // file beside `fullPath`, completed to 100 entries. Returns false when the write failed;
    // `written` receives the path of a file written.
    bool createNewPatchFile(const PatchFile& source, const std::string& fullPath,
                            const std::string& extension, int chunk, int messageId,
                            std::vector<std::string>* written);
    static void fillUncompletedBankFiles(PatchFile* bank);

    // Saving -------------------------------------------------------------------------------
    // "Save As...": false when the user cancelled or the bank could not be written.
    bool savePatchAs(const char* defaultName, const std::string& startFolder, bool asMidi);
    // "Save (Overwrite current bank)": writes the upper bank over `path`; the form follows
    // the extension of `fileName`. False when nothing was written.
    bool saveEditedPatch(const std::string& path, const std::string& fileName);
    // The same over the upper bank's own file.
    bool saveUpperBank();
    // The folder of the upper bank's file, from the data folder down and ending in "/", and its
    // file name; both left empty when there is no upper bank.
    void upperBankFile(std::string* folder, std::string* fileName);

    // Folder trees, category and search banks ----------------------------------------------
    // Files a bank by its folder parts into the tree (up to two folders below the patches folder).
    static void fileIntoFolderTree(FolderTree* tree, PatchFile* file);
    // 0 sound tree, 1 multi tree, 2 category tree, 3 search tree, 4 pattern tree.
    void clearDataStructures(int which);
    void createNewCategoryPatchFiles();
    void createNewSearchPatchFiles(const std::string& text);

    // Storing an incoming entry ------------------------------------------------------------
    // Puts a copy of `incoming` into the upper bank of the current type at `slot` (-1: the
    // upper slot).
    // False (nothing changed) when there is no such bank or the slot lies outside 0..99.
    bool setSysexDatatoSelectedSlot(const LibrarianPatch* incoming, int slot = -1);
    // Whether the current type has an upper bank for the store to write into.
    bool hasUpperBank();

    // The bank list of a type (0 sound, 1 multi, 2 pattern), or null.
    std::vector<PatchFile*>* bankList(int type);
    // A line of the plug-in's debug log, while that is on.
    void log(const std::string& text) const;

    std::atomic<int> upperBankIndex{0};
    std::atomic<int> lowerBankIndex{0};
    // 0 sounds, 1 multis, 2 patterns.
    std::atomic<int> currentType{0};
    std::atomic<int> upperSlotIndex{0};
    std::atomic<int> lowerSlotIndex{0};
    std::atomic<int> dropTargetIndex{0};

    // The folders that the last load visited.
    std::vector<std::string> folderList;
    std::vector<PatchFile*> soundBanks;
    std::vector<PatchFile*> patternBanks;
    std::vector<PatchFile*> multiBanks;
    std::vector<PatchFile*> searchBanks;
    std::vector<PatchFile*> categoryBanks;
    FolderTree soundTree;
    FolderTree multiTree;
    FolderTree patternTree;
    FolderTree searchTree;
    FolderTree categoryTree;
    // Every category met in the sound banks, in the order first met; the first is "Init".
    std::vector<std::string> categoryNames;

private:
    // Folds A to Z only, as extensions and category names are compared.
    static std::string lowerCase(std::string s);
    // The upper bank of the current type, or null. Called under the mutex.
    PatchFile* upperBank();
    // Appends the dump whose manufacturer byte is at or after `position`, up to `end`.
    int readDump(const uint8_t* data, int position, int end, PatchFile* bank, int model, int slot);
    void splitFile(const PatchFile& bank, const std::string& path, const std::string& extension);
    PatchFile* adopt(PatchFile* bank);
    // A clone of the upper bank of the current type with exactly 100 entries, or null.
    std::unique_ptr<PatchFile> upperBankForSaving();
    bool saveBank(const PatchFile& bank, const std::string& path, bool asMidi);

    LibrarianHost& m_host;
    KIT_Mutex m_mutex;
    bool m_reload = false;
    // Every bank made for the lists, including those of discarded loads: menus and jobs may
    // still point at them, so they live as long as the librarian.
    std::vector<std::unique_ptr<PatchFile>> m_banks;
    // The banks of the last search, replaced by the next one.
    std::vector<std::unique_ptr<PatchFile>> m_searchResults;
};

// Removes every occurrence of each character of `characters` from `text`.
void removeCharsFromString(std::string& text, const char* characters);

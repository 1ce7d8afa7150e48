#include "src/params/LibrarianRules.h"

#include "kit/effect/IEffectBase.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace {

constexpr int kNameLength = 16;
// Where the name lies in a dump, by DataType.
constexpr int kNameOffsets[] = {PatchSysexMessage::kSoundNameOffset,
                                PatchSysexMessage::kMultiNameOffset,
                                PatchSysexMessage::kPatternNameOffset};

// The committed text as the synthesizer can hold it: 16 characters at most, every byte
// outside printable ASCII a blank (a byte of 0x80 or more would break the dump).
std::string dumpableName(const char* text) {
    std::string name = std::string(text).substr(0, kNameLength);
    for (char& ch : name)
        if (uint8_t(ch) < 0x20 || uint8_t(ch) > 0x7E) ch = ' ';
    return name;
}

// Writes the name into the entry and, padded with blanks, into its first dump, whose
// checksum follows when the dump has its full length. False, with nothing changed, when the
// dump has no room for the name, its checksum and F7, or already holds that name (the
// trailing blanks that a user may leave out included).
bool renameEntry(LibrarianPatch& entry, const std::string& name, int offset) {
    if (entry.dumps.empty() || entry.dumps[0].size() < offset + kNameLength + 2) return false;
    PatchSysexMessage& dump = entry.dumps[0];
    std::string field = name;
    field.resize(kNameLength, ' ');
    if (std::equal(field.begin(), field.end(), dump.bytes.begin() + offset)) return false;
    std::copy(field.begin(), field.end(), dump.bytes.begin() + offset);
    if (dump.size() == PatchSysexMessage::kSoundSize ||
        dump.size() == PatchSysexMessage::kPatternSize)
        dump.writeChecksum();
    entry.name = name;
    return true;
}

} // namespace

RuleEnd renameSlot(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    if (plug->isGridFocus()) return RuleEnd::kGoOn;
    const DataType type = dataTypeOf(plug);
    const std::string name =
        dumpableName(plug->effect()->GetParam(kPatchRename)->GetDisplayText(0));
    bool renamed = false;
    {
        PatchLibrarian* librarian = plug->getLibrarian();
        KIT_MutexLock lock(&librarian->mutex());
        const std::vector<PatchFile*>* banks = librarian->bankList(librarian->currentType);
        const int index = librarian->upperBankIndex;
        const int slot = librarian->upperSlotIndex;
        PatchFile* bank = banks && index >= 0 && size_t(index) < banks->size()
                              ? (*banks)[size_t(index)]
                              : nullptr;
        if (bank && slot >= 0 && slot < PatchFile::kBankSize) {
            if (bank->entries.size() < size_t(PatchFile::kBankSize))
                bank->entries.resize(PatchFile::kBankSize);
            renamed = renameEntry(bank->entries[size_t(slot)], name, kNameOffsets[int(type)]);
        }
    }
    if (renamed) {
        plug->updatePatchLibrarianView(0);
        plug->DisarmLibrarianRequests();
        hideNamedLayer(plug, kLibrarianTypeViews[int(type)].upperMenu, true);
        hideNamedLayer(plug, "discardChangesLayerRight", false);
        hideNamedLayer(plug, "keepBankOpenLayer", true);
        plug->effect()->GetParam(kBankEditUnsaved)->Set(1.0);
    }
    hideNamedLayer(plug, "patchRename", true);
    plug->setGridFocus(true);
    return RuleEnd::kGoOn;
}

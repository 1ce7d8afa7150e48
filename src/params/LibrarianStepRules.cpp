#include "src/params/LibrarianRules.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"
#include "src/browser/BankChooser.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

constexpr int kLastProgram = 99;

double valueOf(ParamChangePlugin* plug, int idx) {
    return plug->effect()->GetParam(idx)->Value();
}

// One step through 0..last, wrapping at both ends; a start outside the range steps in from
// the end it left.
int wrap(int start, bool forward, int last) {
    const int n = start + (forward ? 1 : -1);
    if (n >= 0 && n <= last) return n;
    return forward ? 0 : last;
}

// The chooser of a list: the lower sound list follows the category and search views.
int chooserOf(ParamChangePlugin* plug, DataType type, bool upper) {
    const LibrarianTypeView& view = kLibrarianTypeViews[int(type)];
    if (upper) return view.upperChooser;
    if (type == DataType::kSound && plug->isCategoryView()) return BankChooser::kRightCategory;
    if (type == DataType::kSound && plug->isSearchView()) return BankChooser::kRightSearch;
    return view.lowerChooser;
}

// Where a bank of a list lies, read under the librarian's mutex; the calls that show it are
// made without the mutex.
struct ShownBank {
    int index = 0;
    std::string folder, fileName;
};
ShownBank shownBankAt(const std::vector<PatchFile*>& banks, int n) {
    return {n, banks[size_t(n)]->holdingFolder, banks[size_t(n)]->fileName};
}

// The bank becomes the list's bank: the list's parameter and the librarian's selection, the
// type's open-bank parameter, the remembered bank and the list's chooser.
void openBank(ParamChangePlugin* plug, DataType type, bool upper, int openBankParam,
              const ShownBank& bank) {
    PatchLibrarian* librarian = plug->getLibrarian();
    const int n = bank.index;
    setFromPlug(plug, upper ? kPatchSelectionListUpper : kPatchSelectionListLower, n);
    (upper ? librarian->upperBankIndex : librarian->lowerBankIndex) = n;
    setFromPlug(plug, openBankParam, n);
    const LibrarianTypeView& view = kLibrarianTypeViews[int(type)];
    const LibrarianHost::BankPosition position = upper ? view.upperBank : view.lowerBank;
    plug->setRememberedFileName(position, bank.fileName);
    plug->setRememberedFolder(position, bank.folder);
    plug->refreshFolderStructure(chooserOf(plug, type, upper), n, bank.folder, bank.fileName);
}

} // namespace

RuleEnd stepBank(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    if (c.iv != 1) return RuleEnd::kStop;
    const bool upper = c.idx == kLibUpperPreviousBank || c.idx == kLibUpperNextBank;
    const bool next = c.idx == kLibUpperNextBank || c.idx == kLibLowerNextBank;
    if (upper && valueOf(plug, kBankEditUnsaved) == 1.0) {
        showMessage(plug, "Save bank or Discard changes!");
        return RuleEnd::kStop;
    }
    const DataType type = dataTypeOf(plug);
    const int listParam = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
    ShownBank bank;
    {
        KIT_MutexLock lock(&plug->getLibrarian()->mutex());
        const std::vector<PatchFile*>* banks = upper ? upperBanks(plug) : lowerBanks(plug);
        if (!banks || banks->empty()) return RuleEnd::kStop;
        const int last = int(banks->size()) - 1;
        bank = shownBankAt(*banks, wrap(TruncToInt(valueOf(plug, listParam)), next, last));
    }
    const LibrarianTypeView& view = kLibrarianTypeViews[int(type)];
    const int part = view.perPart ? int(plug->selectedPart()) : 0;
    openBank(plug, type, upper, (upper ? view.upperOpenBank : view.lowerOpenBank) + part, bank);
    plug->updatePatchLibrarianView(upper ? 0 : 1);
    if (upper && type == DataType::kSound) plug->updateBankAndProgramMenuNames(false);
    return RuleEnd::kStop;
}

RuleEnd openCurrentPatchBank(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    if (plug->keepSelectedBankFlag()) return RuleEnd::kGoOn;
    PatchLibrarian* librarian = plug->getLibrarian();
    ShownBank bank;
    {
        KIT_MutexLock lock(&librarian->mutex());
        const std::vector<PatchFile*>& banks = librarian->soundBanks;
        if (c.iv < 0 || size_t(c.iv) >= banks.size()) return RuleEnd::kStop;
        bank = shownBankAt(banks, c.iv);
    }
    openBank(plug, DataType::kSound, true, kCurrentPatchBank + plug->selectedPart(), bank);
    plug->updatePatchLibrarianView(0);
    return RuleEnd::kStop;
}

RuleEnd stepProgram(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    const bool up = isPartBlock(c.idx, kPatchUp);
    const int part = c.idx - (up ? kPatchUp : kPatchDown);
    const bool multi = plug->isMultiMode();
    if (multi) showMessage(plug, "Disable Multi Mode first");
    if (!up && c.iv == 0) return RuleEnd::kStop;
    const bool stepping = !up || c.iv == 1;
    if (stepping && valueOf(plug, kPartLock + part) == 1.0) return RuleEnd::kStop;

    if (stepping && plug->isLibrarianNames()) {
        const int slot = wrap(plug->getLibrarianViewCurrentSlot(), up, kLastProgram);
        plug->setLibrarianViewCurrentSlot(slot);
        plug->getLibrarian()->upperSlotIndex = slot;
        plug->effect()->GetParam(kMultiPartPatch + part)->Set(slot);
        plug->programNumber() = slot;
        plug->sendPatchToDeviceFromLibrarian(slot, plug->getLibrarianViewSide(), part);
    } else if (stepping && valueOf(plug, kPartProgramChange + part) == 0.0) {
        const int program = wrap(plug->programNumber(), up, kLastProgram);
        plug->programNumber() = program;
        setFromPlug(plug, multi ? kMultiPatch : kMultiPartPatch + part, program);
        plug->setLibrarianViewCurrentSlot(program);
        plug->getLibrarian()->upperSlotIndex = program;
        if (plug->BankChangeMessage(part)) {
            if (plug->isRequestAfterBankChange())
                postSenderJob(plug, SenderJob::kSendPartRequestSysex, JobKind::kRequest,
                              [part](SenderJob& job) {
                                  job.part = part;
                                  job.toEditor = true;
                              });
            plug->sendPartDataBackToHardware(part);
        }
    } else if (stepping) {
        showMessage(plug, "Program Change Disabled.");
    }

    const int program = plug->programNumber();
    plug->setLibrarianViewCurrentSlot(program);
    plug->refreshPatchNames(program);
    plug->effect()->OnParamChange(kMainTab);
    return RuleEnd::kStop;
}

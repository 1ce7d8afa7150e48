// The librarian's bank lists: the patch type switch, which points the grids and the bank-list
// parameters at another list, and the relabelling of those parameters in place.

#include "src/core/Zoz.h"

#include "kit/effect/IControl.h"
#include "src/core/BankNameShortener.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include <iterator>

namespace {

// What each list kind of patchTypeChanged shows: its bank list and the parameters whose
// display texts name that list's banks (kPatchSelectionListLower always does).
struct ListKind {
    std::vector<PatchFile*> PatchLibrarian::*banks;
    bool upperList;  // kPatchSelectionListUpper
    bool partBanksL; // kCurrentOpenPatchBankL of every part
    bool partBanksR; // kCurrentOpenPatchBankR of every part
    bool perfBanks;  // kCurrentOpenPerfBankL and kCurrentOpenPerfBankR
};

enum { kSoundKind = 0, kMultiKind = 2, kSearchKind = 4 };

// What a bank list's field shows when the list is empty, as the layout's menus do for none.
constexpr const char* kNoBank = "----";

const ListKind kListKinds[] = {
    {&PatchLibrarian::soundBanks, true, true, true, false},
    {&PatchLibrarian::categoryBanks, false, false, true, false},
    {&PatchLibrarian::multiBanks, true, false, false, true},
    {&PatchLibrarian::patternBanks, true, false, true, false},
    {&PatchLibrarian::searchBanks, false, false, true, false},
};

std::vector<int> labelledParams(const ListKind& kind) {
    std::vector<int> params;
    if (kind.upperList) params.push_back(kPatchSelectionListUpper);
    params.push_back(kPatchSelectionListLower);
    for (int part = 0; part < 16; ++part) {
        if (kind.partBanksL) params.push_back(kCurrentOpenPatchBankL + part);
        if (kind.partBanksR) params.push_back(kCurrentOpenPatchBankR + part);
    }
    if (kind.perfBanks) params.insert(params.end(), {kCurrentOpenPerfBankL, kCurrentOpenPerfBankR});
    return params;
}

} // namespace

void Zoz::labelBankList(const std::vector<int>& params, const std::vector<PatchFile*>& banks,
                        BankNameShortener& shortener) {
    std::vector<IParam*> targets;
    for (int idx : params)
        targets.push_back(GetParam(idx));
    shortener.startList();
    for (size_t i = 0; i < banks.size(); ++i) {
        const std::string& name = banks[i]->fileName;
        const std::string shown = shortener.shownName(name);
        if (shown != name)
            log("PATCH LIBRARIAN: Filename ", name, " RENAMED TO ", shown,
                " Because the filename was too long to fit in plug-in display!");
        for (IParam* param : targets)
            param->SetDisplayText(int(i), shown.c_str());
    }
}

void Zoz::patchTypeChanged(int type, int listKind, bool reload) {
    if (reload) {
        librarian->initBankFilesOnDiscard(getPatchesFolderStr());
        // Search results are made from the sound banks just read: the search the view holds
        // makes them again.
        if (listKind == kSearchKind && searchView)
            librarian->createNewSearchPatchFiles(GetParam(kPatchSearchString)->GetDisplayText(0));
    }
    librarian->currentType = type;
    librarian->upperBankIndex = 0;
    librarian->lowerBankIndex = 0;
    updatePatchLibrarianView(2);
    if (listKind < 0 || listKind >= int(std::size(kListKinds))) return;

    const ListKind& kind = kListKinds[listKind];
    const std::vector<int> params = labelledParams(kind);
    // The multi lists and part 1's pattern list are emptied whatever the kind.
    std::vector<int> cleared = params;
    if (!kind.perfBanks)
        cleared.insert(cleared.end(), {kCurrentOpenPerfBankL, kCurrentOpenPerfBankR});
    cleared.push_back(kCurrentOpenPatternBankR);
    for (int idx : cleared) {
        IParam* param = GetParam(idx);
        param->ResetDisplayTexts();
        param->Set(0.0);
    }
    // A list control that stood elsewhere hands its 0 on through the edit path, which
    // re-enters OnParamChange under the plug lock its caller holds.
    for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower})
        if (IControl* control = keptControl(list)) control->SetValueFromUserInput(0.0);
    {
        KIT_MutexLock lock(&librarian->mutex());
        BankNameShortener shortener;
        const std::vector<PatchFile*>& banks = librarian.get()->*kind.banks;
        labelBankList(params, banks, shortener);
        // A list without banks (a category or search without a match) names none, where its
        // fields would show the number 0 as a bank's name.
        if (banks.empty())
            for (int idx : params)
                GetParam(idx)->SetDisplayText(0, kNoBank);
    }
    refreshPopUpMenus();
}

// The pattern banks label the sound banks' parameters.
void Zoz::ResetPatchSelectionMenus() {
    ListKind kind = kListKinds[multiMode && !sequenceMode ? kMultiKind : kSoundKind];
    if (sequenceMode) kind.banks = &PatchLibrarian::patternBanks;
    {
        KIT_MutexLock lock(&librarian->mutex());
        BankNameShortener shortener;
        labelBankList(labelledParams(kind), librarian.get()->*kind.banks, shortener);
    }
    setLibrarianViewDirty();
    updatePatchLibrarianView(2);
}

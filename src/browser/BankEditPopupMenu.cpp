#include "src/browser/BankEditPopupMenu.h"

#include "kit/effect/IEffectBase.h"
#include "src/browser/BrowserPlugin.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"


namespace {

enum class Act {
    kNothing,
    kModeRequestMenu, // the request submenu of the data type
    kModeStoreMenu,   // the store submenu of the data type
    kSubmenu,         // arg: the menu
    kRequestArrangement, // arg: to the editor
    kRequestPart,        // arg: to the editor
    kRequestPattern,     // arg: to the editor
    kRequestProgram,     // the current part's bank, program at the upper slot
    kRequestSoundBank,   // arg: the bank
    kRequestMultis,      // arg: the job
    kRequestAllPatterns,
    kPush,
    kStoreSlot,
    kStoreBank, // arg: the bank
    kSave,
    kSaveAs, // arg: as a MIDI file
    kImport, // arg: a MIDI file
    kRefresh,
    kOpenDataFolder,
    kAbout,
};

// One item; a null text is a separator, which takes an index too.
struct Item {
    const char* text;
    Act act;
    int arg;
};
constexpr Item kSeparator{nullptr, Act::kNothing, 0};

const Item kMainItems[] = {
    {"", Act::kModeRequestMenu, 0},
    kSeparator,
    {"", Act::kModeStoreMenu, 0},
    kSeparator,
    {"Sync Current Data from HW", Act::kRequestArrangement, true},
    {"Push Current Multi to HW", Act::kPush, 0},
    kSeparator,
    {"Save (Overwrite current bank)", Act::kSave, 0},
    {"Save As...", Act::kSubmenu, BankEditPopupMenu::kSaveAs},
    kSeparator,
    {"Import...", Act::kSubmenu, BankEditPopupMenu::kImport},
    {"Refresh Folders", Act::kRefresh, 0},
    kSeparator,
    {"Open Data Folder", Act::kOpenDataFolder, 0},
    {"About...", Act::kAbout, 0},
};
const Item kSoundRequestItems[] = {
    {"from Active Slot to Plug-in GUI", Act::kRequestPart, true},
    {"from Active Slot to Librarian", Act::kRequestPart, false},
    {"from Selected Program Slot", Act::kRequestProgram, 0},
    kSeparator,
    {"All Patches from Bank A", Act::kRequestSoundBank, 0},
    {"All Patches from Bank B", Act::kRequestSoundBank, 1},
    {"All Patches from Bank C", Act::kRequestSoundBank, 2},
    {"All Patches from Bank X", Act::kRequestSoundBank, 3},
};
const Item kMultiRequestItems[] = {
    {"from Temp Buffer to Plug-in GUI", Act::kRequestArrangement, true},
    {"from Temp Buffer to Librarian", Act::kRequestArrangement, false},
    {"from selected Program Slot", Act::kRequestMultis, SenderJob::kSendSingleMultiRequestSysex},
    {"All Multis from Selected Bank", Act::kRequestMultis, SenderJob::kSendAllMultiRequestSysex},
};
const Item kSequenceRequestItems[] = {
    {"from Active Slot to Plug-in GUI", Act::kRequestPattern, true},
    {"from Active Slot to Librarian", Act::kRequestPattern, false},
    kSeparator,
    {"All Patterns", Act::kRequestAllPatterns, 0},
};
const Item kSoundStoreItems[] = {
    {"To Currently Selected Slot & Bank", Act::kStoreSlot, 0},
    kSeparator,
    {"All Current Patches to Bank A", Act::kStoreBank, 0},
    {"All Current Patches to Bank B", Act::kStoreBank, 1},
    {"All Current Patches to Bank C", Act::kStoreBank, 2},
    {"All Current Patches to Bank X", Act::kStoreBank, 3},
};
// The sender takes the data type from the mode, so the bank does not matter for these.
const Item kMultiStoreItems[] = {
    {"To Currently Selected Slot & Bank", Act::kStoreSlot, 0},
    {"All Multis from Current Bank", Act::kStoreBank, 0},
};
const Item kSequenceStoreItems[] = {
    {"To Currently Selected Slot & Bank", Act::kStoreSlot, 0},
    {"All Sequences from Current Bank", Act::kStoreBank, 0},
};
const Item kSaveAsItems[] = {
    {"Standard MIDI (*.mid)", Act::kSaveAs, true},
    {"Zoz Format (*.vub)", Act::kSaveAs, false},
};
const Item kImportItems[] = {
    {"Standard MIDI (*.mid)", Act::kImport, true},
    {"SysEx (*.syx / *.vub)", Act::kImport, false},
};

enum DataType { kSound, kMulti, kSequence, kEveryType };

// Each menu's items and the data type it is built and acts for.
struct MenuSpec {
    const Item* items;
    int count;
    DataType type;
};
template <size_t N>
constexpr MenuSpec spec(const Item (&items)[N], DataType type) {
    return {items, int(N), type};
}
const MenuSpec kMenus[BankEditPopupMenu::kMenuCount] = {
    spec(kMainItems, kEveryType),        spec(kSoundRequestItems, kSound),
    spec(kMultiRequestItems, kMulti),    spec(kSoundStoreItems, kSound),
    spec(kMultiStoreItems, kMulti),      spec(kSaveAsItems, kEveryType),
    spec(kImportItems, kEveryType),      spec(kSequenceRequestItems, kSequence),
    spec(kSequenceStoreItems, kSequence),
};

// The request and store submenus of each data type, with their items in the main menu.
struct ModeMenus {
    const char* request;
    BankEditPopupMenu::Menu requestMenu;
    const char* store;
    BankEditPopupMenu::Menu storeMenu;
};
const ModeMenus kModeMenus[] = {
    {"Request Patch Data", BankEditPopupMenu::kSoundRequest, "Store Patch Data",
     BankEditPopupMenu::kSoundStore},
    {"Request Multi Data", BankEditPopupMenu::kMultiRequest, "Store Multi Data",
     BankEditPopupMenu::kMultiStore},
    {"Request Sequence Data", BankEditPopupMenu::kSequenceRequest, "Store Sequence Data",
     BankEditPopupMenu::kSequenceStore},
};

DataType dataType(const BrowserPlugin* plugin) {
    return plugin->isSequenceMode() ? kSequence : plugin->isMultiMode() ? kMulti : kSound;
}

} // namespace

BankEditPopupMenu::BankEditPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     BrowserPlugin* plugin)
    : LibrarianMenuButton(plug, librarian, rect, plugin) {
    AddMenuItemsIn(plugin);
}

void BankEditPopupMenu::AddMenuItemsIn(BrowserPlugin* plugin) {
    for (IPopupMenu& menu : m_menus)
        menu.Clear();
    const DataType type = dataType(plugin);
    const ModeMenus& mode = kModeMenus[type];
    for (int m = 0; m < kMenuCount; ++m) {
        const MenuSpec& menu = kMenus[m];
        if (menu.type != kEveryType && menu.type != type) continue;
        for (const Item* item = menu.items; item != menu.items + menu.count; ++item) {
            if (!item->text)
                m_menus[m].AddSeparator();
            else if (item->act == Act::kModeRequestMenu)
                m_menus[m].AddItem(mode.request, &m_menus[mode.requestMenu]);
            else if (item->act == Act::kModeStoreMenu)
                m_menus[m].AddItem(mode.store, &m_menus[mode.storeMenu]);
            else if (item->act == Act::kSubmenu)
                m_menus[m].AddItem(item->text, &m_menus[item->arg]);
            else
                m_menus[m].AddItem(item->text);
        }
    }
}

void BankEditPopupMenu::OnMouseDown(int, int, IMouseMod*) {
    doPopupMenu(m_browser);
    clicked();
}

void BankEditPopupMenu::doPopupMenu(BrowserPlugin* plugin) {
    const IPopupMenu* chosen = popup(&m_menus[kMain]);
    for (int m = 0; m < kMenuCount && chosen; ++m) {
        const MenuSpec& menu = kMenus[m];
        // The multi requests concern the synthesizer's multi whatever the librarian shows;
        // any other submenu left from another data type would fill a bank of the wrong kind.
        const bool current = menu.type == kEveryType || menu.type == dataType(plugin) ||
                             m == kMultiRequest;
        const int index = chosen->GetChosenItemIdx();
        if (chosen == &m_menus[m] && current && index >= 0 && index < menu.count)
            run(plugin, Menu(m), index);
    }
    for (IPopupMenu& menu : m_menus)
        menu.CheckItemAlone(-1);
}

void BankEditPopupMenu::run(BrowserPlugin* plugin, Menu menu, int index) {
    const Item& item = kMenus[menu].items[index];
    const int part = plugin->getCurrentPart();
    switch (item.act) {
    case Act::kRequestArrangement:
        postRequest(plugin, SenderJob::kSendActiveArrangementRequestSysex, item.arg);
        break;
    case Act::kRequestPart:
        postRequest(plugin, SenderJob::kSendPartRequestSysex, item.arg);
        break;
    case Act::kRequestPattern:
        postRequest(plugin, SenderJob::kSendSequenceRequestSysex, item.arg);
        break;
    case Act::kRequestProgram:
        plugin->sendSinglePatchRequestSysexFromLibrarian(false, intValue(kMultiPartBank + part));
        break;
    case Act::kRequestSoundBank:
        plugin->sendAllPatchRequestSysexFromLibrarian(item.arg);
        break;
    case Act::kRequestMultis:
        plugin->postJob(item.arg, [plugin](SenderJob& job) {
            plugin->clearEntryStored();
            job.bank = 0;
        });
        break;
    case Act::kRequestAllPatterns:
        // Arms the pattern collection afresh: this runs only in sequence mode.
        plugin->postJob(SenderJob::kSendAllSequenceRequestSysex,
                        [plugin](SenderJob&) { plugin->SetLibrarianRequestActive(true); });
        break;
    case Act::kPush:
        if (!plugin->isMidiIoReady()) break;
        plugin->postJob(SenderJob::kSendArrangementToDevice, [plugin](SenderJob& job) {
            plugin->setArrangementSendFlags(true, true, true);
            plugin->setManagerBusy(true);
            job.dumpOption1 = job.dumpOption2 = false;
        });
        break;
    case Act::kStoreSlot:
        plugin->SendSingleProgramFromLibrarian(false, part);
        break;
    case Act::kStoreBank:
        plugin->SendAllProgramsFromLibrarian(item.arg);
        break;
    case Act::kSave:
        save(plugin);
        break;
    case Act::kSaveAs:
        saveAs(plugin, item.arg);
        break;
    case Act::kImport:
        plugin->saveImportedFile(item.arg);
        break;
    case Act::kRefresh:
        m_plug->OnParamChange(kRefreshFolders);
        break;
    case Act::kOpenDataFolder:
        plugin->OpenDataDirectory();
        break;
    case Act::kAbout:
        // The value may still be 1 from the last time: the handler shows the view for any
        // value but 0.
        store(kDisplayAboutWindow, 1);
        m_plug->OnParamChange(kDisplayAboutWindow);
        break;
    case Act::kNothing:
    case Act::kModeRequestMenu:
    case Act::kModeStoreMenu:
    case Act::kSubmenu:
        break;
    }
}

void BankEditPopupMenu::save(BrowserPlugin* plugin) {
    // The bank matches its file again: nothing of it is lost by a refresh.
    if (m_librarian->saveUpperBank()) plugin->SetLibrarianStatusUnsaved(false);
}

void BankEditPopupMenu::saveAs(BrowserPlugin* plugin, bool asMidi) {
    std::string folder, fileName;
    m_librarian->upperBankFile(&folder, &fileName);
    // The proposal carries the extension of the form chosen, not that of the bank's file.
    const std::string stem = fileName.substr(0, fileName.rfind('.'));
    const std::string proposed = stem.empty() ? "" : stem + (asMidi ? ".mid" : ".vub");
    if (m_librarian->savePatchAs(proposed.c_str(), folder, asMidi))
        plugin->SetLibrarianStatusUnsaved(false);
}

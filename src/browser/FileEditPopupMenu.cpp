#include "src/browser/FileEditPopupMenu.h"

#include "kit/effect/IEffectBase.h"
#include "src/browser/BrowserPlugin.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/uiconfig/ParameterIds.h"

#include <iterator>

namespace {

// Item texts by index; null is a separator, which takes an index too.
const char* const kMainItems[] = {"Paste", nullptr, "Rename", nullptr, "Initialize Slot"};
const char* const kDataSourceItems[] = {"Plug-in (active patch)", nullptr, "Hardware Edit Buffer",
                                        "Hardware by Prog No."};
enum MainItem { kPaste = 0, kRename = 2, kInitialize = 4 };
enum DataSourceItem { kFromPlugin = 0, kFromEditBuffer = 2, kFromProgramNumber = 3 };

void addItems(IPopupMenu* menu, const char* const* texts, int n) {
    for (int i = 0; i < n; ++i) {
        if (texts[i])
            menu->AddItem(texts[i]);
        else
            menu->AddSeparator();
    }
}

} // namespace

FileEditPopupMenu::FileEditPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     BrowserPlugin* vub)
    : SlotContextMenu(plug, librarian, rect, vub) {
    AddMenuItemsIn();
}

void FileEditPopupMenu::AddMenuItemsIn() {
    addItems(&m_main, kMainItems, int(std::size(kMainItems)));
    addItems(&m_dataSource, kDataSourceItems, int(std::size(kDataSourceItems)));
    m_main.AddItem("Get DATA from..", &m_dataSource);
}

void FileEditPopupMenu::doPopupMenu(BrowserPlugin* plug, int x, int y) {
    const IPopupMenu* chosen = popup();
    LibrarianViewControl* grid = plug->getLibrarianView();
    if (chosen == &m_main) {
        switch (chosen->GetChosenItemIdx()) {
        case kPaste:
            if (grid) grid->PasteSlotData(x, y);
            break;
        case kRename:
            if (grid) grid->renameSlot(x, y);
            break;
        case kInitialize:
            initializeSlot(plug);
            break;
        }
    } else if (chosen == &m_dataSource) {
        getDataFrom(plug, chosen->GetChosenItemIdx());
    }
    m_main.CheckItemAlone(-1);
    m_dataSource.CheckItemAlone(-1);
}

void FileEditPopupMenu::initializeSlot(BrowserPlugin* plug) {
    // A pattern bank gets the init pattern: an init sound could never complete the armed
    // pattern collection, which would then swallow the next pattern dump.
    const int job = plug->isMultiMode()      ? SenderJob::kInitPerformance
                    : plug->isSequenceMode() ? SenderJob::kInitSequence
                                             : SenderJob::kInitClassicPatch;
    plug->postJob(job, [plug](SenderJob& j) {
        plug->setDumpAwaited(true);
        j.initGuard = false;
    });
}

void FileEditPopupMenu::getDataFrom(BrowserPlugin* plug, int item) {
    const int part = plug->getCurrentPart();
    const bool multi = plug->isMultiMode();
    switch (item) {
    case kFromPlugin: {
        // The whole multi, the part's pattern in sequence mode, else the part's sound, stored
        // into the selected slot instead of being sent.
        const int job = multi                    ? SenderJob::kSendArrangementToDevice
                        : plug->isSequenceMode() ? SenderJob::kSendSequenceToDevice
                                                 : SenderJob::kSendPartToDevice;
        plug->postJob(job, [plug, multi, part](SenderJob& j) {
            plug->setManagerBusy(true);
            if (!multi) j.part = part;
            j.dumpOption1 = true;
            j.dumpOption2 = false;
        });
        break;
    }
    case kFromEditBuffer:
        if (multi)
            plug->postJob(SenderJob::kSendActiveArrangementRequestSysex,
                          [](SenderJob& j) { j.toEditor = false; });
        else
            plug->sendSinglePatchRequestSysexFromLibrarian(true, 0);
        break;
    case kFromProgramNumber: {
        const IParam* bankParam = m_plug ? m_plug->GetParam(kMultiPartBank + part) : nullptr;
        const int bank = bankParam ? int(bankParam->Value()) : 0;
        if (multi)
            plug->postJob(SenderJob::kSendSingleMultiRequestSysex, [plug, bank](SenderJob& j) {
                plug->SetLibrarianRequestActive(true);
                j.bank = bank;
            });
        else
            plug->sendSinglePatchRequestSysexFromLibrarian(false, bank);
        break;
    }
    }
}

#pragma once

#include "kit/effect/ControlLayer.h"
#include "kit/effect/ISysEx.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "src/browser/BrowserPlugin.h"
#include "src/browser/FileCopyPopupMenu.h"
#include "src/browser/FileEditPopupMenu.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/TestGraphics.h"

#include <atomic>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace testsupport {

// The plug-in core as the librarian browser and the librarian see it, on a plug-in base and
// an editor of the test's choice: the plug-in's whole parameter list, a real librarian on the
// recording librarian host, an editor of 1500 x 757 with a black background and the layers
// "patchRename" and "saveChangesLayer", and the slot menus made as the plug-in makes them.
// Jobs are recorded instead of run, and refused while `workerBusy` is set; like the worker's,
// the job record keeps what a post does not write. The own SysEx input stores the dump into
// the librarian's selected slot while a collection is armed, as the message manager does, and
// says whether it did. Header-only so that benchmarks can use it.
template <class Effect, class Graphics>
class BrowserPluginOn : public Effect, public BrowserPlugin, public LibrarianTestHost {
public:
    // A sent slot: slot, side, part.
    using Sends = std::vector<std::tuple<int, int, int>>;

    template <class... EffectArgs>
    explicit BrowserPluginOn(EffectArgs&&... effectArgs)
        : Effect(std::forward<EffectArgs>(effectArgs)...), librarian(*this) {
        this->GetParam(kDeviceOutSelection)->InitInt("MIDI Out", 1, 0, 16);
        this->GetParam(kPatchRename)->InitText();
        this->GetParam(kPatchRename)->SetDisplayText(0, "");
        for (int part = 0; part < 16; ++part)
            this->GetParam(kMultiPartBank + part)->InitInt("Bank", 0, 0, 3);
        g = new Graphics(this, 1500, 757);
        this->AttachGraphics(g);
        g->AttachPanelBackground(&COLOR_BLACK);
        g->AttachLayer(renameLayer = new ControlLayer(1, "patchRename"));
        g->AttachLayer(saveLayer = new ControlLayer(2, "saveChangesLayer"));
        saveLayer->addControl(saveCommand = new TestControl(this, IRECT()));
    }

    // The grid as the UI configuration makes it for "patchBrowser", at (x, y) over a dark
    // background that holds both grids at the scale, attached to the editor.
    LibrarianViewControl* createGrid(double scale, int x = 0, int y = 0) {
        const int w = int(1040 * scale) + 1, h = int(500 * scale) + 1;
        background = std::make_unique<RAST_MemBitmap>(w, h, 4);
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col)
                background->getBits()[row * background->getRowSpan() + col] = kBackgroundPixel;
        const IBitmap bitmap{background.get(), w, h, 1, false};
        grid = new LibrarianViewControl(this, this, x, y, kLibrarianArea, &bitmap,
                                        IRECT(x, y, x + w, y + h), &librarian, scale);
        g->AttachControl(grid);
        return grid;
    }

    // Sound (0), multi (1) or sequence (2) mode, for the plug-in and the librarian alike.
    void setMode(int type) {
        multiMode = type == 1;
        sequenceMode = type == 2;
        librarian.currentType = type;
    }

    // BrowserPlugin
    bool isMultiMode() const override { return multiMode; }
    bool isSequenceMode() const override { return sequenceMode; }
    bool isCategoryView() const override { return categoryView; }
    bool isSearchView() const override { return searchView; }
    void setGridFocus(bool focus) override { gridFocus = focus; }
    int getCurrentPart() override { return currentPart; }
    ControlLayer* getPatchRenameLayer() override { return renameLayer; }
    ControlLayer* getSaveChangesLayer() override { return saveLayer; }
    LibrarianViewControl* getLibrarianView() override { return grid; }
    void sendPatchToDeviceFromLibrarian(int slot, int side, int part) override {
        sends.emplace_back(slot, side, part);
    }
    void showFileEditMenu(int x, int y) override {
        editMenu = std::make_unique<FileEditPopupMenu>(this, &librarian, IRECT(x, y, x, y), this);
        editMenu->doPopupMenu(this, x, y);
    }
    void showFileCopyMenu(int x, int y) override {
        copyMenu = std::make_unique<FileCopyPopupMenu>(this, &librarian, IRECT(x, y, x, y), this);
        copyMenu->doPopupMenu(this, x, y);
    }
    void SetLibrarianRequestActive(bool on) override {
        requestArmed = on;
        dumpAwaited = !on;
    }
    void SetLibrarianStatusUnsaved(bool on) override {
        if (!on) {
            ++savedMarks;
            return;
        }
        requestArmed = false;
        ++unsavedMarks;
    }
    void DisarmLibrarianRequests() override { requestArmed = false; }
    bool ProcessSysExInternal(ISysEx* message) override {
        if (!requestArmed.exchange(false)) return false;
        LibrarianPatch entry;
        entry.dumps.emplace_back(std::vector<uint8_t>(message->data, message->data + message->size));
        const int nameOffset = multiMode      ? PatchSysexMessage::kMultiNameOffset
                               : sequenceMode ? PatchSysexMessage::kPatternNameOffset
                                              : PatchSysexMessage::kSoundNameOffset;
        entry.name = entry.dumps[0].text(nameOffset, 16);
        if (!librarian.setSysexDatatoSelectedSlot(&entry)) return false;
        if (grid) grid->patchSelectionUpperChanged();
        return true;
    }
    bool postJob(int command, const std::function<void(SenderJob&)>& setArguments) override {
        if (workerBusy) return false;
        record.command = command;
        if (setArguments) setArguments(record);
        jobs.push_back(record);
        return true;
    }
    void setDumpAwaited(bool awaited) override { dumpAwaited = awaited; }
    void setManagerBusy(bool busy) override { managerBusy = busy; }
    void sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) override {
        postJob(SenderJob::kSendSinglePatchRequestSysex, [&](SenderJob& job) {
            requestArmed = true;
            job.editBuffer = editBuffer;
            job.bank = bank;
        });
    }

    // The bank menus: the remembered banks are the librarian host's, the bank-list displays
    // stand apart from the editor, and the program page's refresh moves the upper and current
    // slot to `program` as the plug-in's does with the mode's program.
    const std::string& rememberedFileName(BankPosition position) const override {
        return remembered[position][0];
    }
    const std::string& rememberedFolder(BankPosition position) const override {
        return remembered[position][1];
    }
    void setRememberedFileName(BankPosition position, const std::string& fileName) override {
        LibrarianTestHost::setRememberedFileName(position, fileName);
    }
    void setRememberedFolder(BankPosition position, const std::string& folder) override {
        LibrarianTestHost::setRememberedFolder(position, folder);
    }
    IControl* keptControl(int paramIdx) const override {
        for (const std::unique_ptr<TestControl>& display : bankListDisplays)
            if (display->ParamIdx() == paramIdx) return display.get();
        return nullptr;
    }
    void updateBankAndProgramMenuNames(bool keepBankMenu) override {
        menuNameUpdates.push_back(keepBankMenu);
        if (grid) {
            grid->setUpperSelectedSlot(program);
            grid->setCurrentSlot(program);
        }
        librarian.upperSlotIndex = program;
    }
    std::unique_ptr<TestControl> bankListDisplays[2] = {
        std::make_unique<TestControl>(this, IRECT(), kPatchSelectionListUpper),
        std::make_unique<TestControl>(this, IRECT(), kPatchSelectionListLower)};
    std::vector<bool> menuNameUpdates;
    int program = 0;

    // The program page's menus and the bank edit menu: calls to the core are recorded as
    // lines of the call's name and its arguments.
    bool isLibrarianNames() const override { return librarianNames; }
    bool isRequestAfterBankChange() const override { return requestAfterBankChange; }
    bool isMidiIoReady() const override { return midiIoReady; }
    bool BankChangeMessage(int part) override { return call("BankChangeMessage", {part}); }
    void sendPatchAndPatternToDevice(int part, bool a, bool b, bool c, bool send) override {
        call("sendPatchAndPatternToDevice", {part, a, b, c, send});
    }
    void setArrangementSendFlags(bool a, bool b, bool c) override {
        call("setArrangementSendFlags", {a, b, c});
    }
    void SendAllProgramsFromLibrarian(int bank) override { call("SendAllProgramsFromLibrarian", {bank}); }
    void SendSingleProgramFromLibrarian(bool quiet, int part) override {
        call("SendSingleProgramFromLibrarian", {quiet, part});
    }
    void sendAllPatchRequestSysexFromLibrarian(int bank) override {
        postJob(SenderJob::kSendAllPatchRequestSysex, [&](SenderJob& job) {
            requestArmed = true;
            job.bank = bank;
        });
    }
    void setPatternTargetPart(int part) override { call("setPatternTargetPart", {part}); }
    void clearEntryStored() override { call("clearEntryStored", {}); }
    void OpenDataDirectory() override { call("OpenDataDirectory", {}); }
    void saveImportedFile(bool midi) override { call("saveImportedFile", {midi}); }
    std::string dataFolder() const override { return LibrarianTestHost::dataFolder(); }
    // Records the call; false while bank changes are refused.
    bool call(std::string line, std::initializer_list<int> args) {
        for (int arg : args)
            line += " " + std::to_string(arg);
        calls.push_back(line);
        return !refuseBankChange;
    }

    bool librarianNames = false, requestAfterBankChange = false, midiIoReady = true;
    bool refuseBankChange = false;
    std::vector<std::string> calls;

    static constexpr uint32_t kBackgroundPixel = 0x402020FF; // opaque, R 0x20, G 0x20, B 0x40

    PatchLibrarian librarian;
    Graphics* g;                          // owned by the effect
    LibrarianViewControl* grid = nullptr; // owned by the editor
    ControlLayer* renameLayer;
    ControlLayer* saveLayer;
    TestControl* saveCommand; // grayed with its layer
    std::unique_ptr<FileEditPopupMenu> editMenu;
    std::unique_ptr<FileCopyPopupMenu> copyMenu;
    std::unique_ptr<RAST_MemBitmap> background;

    bool categoryView = false, searchView = false;
    bool gridFocus = false;
    int currentPart = 0;
    bool workerBusy = false;
    SenderJob record;
    std::vector<SenderJob> jobs;
    Sends sends;
    // The manager's and the plug-in's flags as the browser left them; the MIDI input thread
    // may store entries meanwhile.
    std::atomic<bool> requestArmed{false};
    bool dumpAwaited = false, managerBusy = false;
    int unsavedMarks = 0;
    int savedMarks = 0; // SetLibrarianStatusUnsaved(false)
};

// On the framework's test effect and the recording editor.
class FakeBrowserPlugin : public BrowserPluginOn<TestEffect, TestGraphics> {
public:
    FakeBrowserPlugin() : BrowserPluginOn(kNumParams, kNumParams) {}
};

} // namespace testsupport

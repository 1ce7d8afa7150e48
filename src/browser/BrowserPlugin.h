#pragma once

#include "src/librarian/LibrarianHost.h"
#include "src/sender/SenderJob.h"

#include <functional>
#include <string>

class ControlLayer;
class IControl;
class LibrarianViewControl;
struct ISysEx;

// What the librarian browser needs of the plug-in core. The plug-in implements it; every
// operation runs on the editor's thread unless said otherwise.
class BrowserPlugin {
public:
    virtual ~BrowserPlugin() = default;

    // The data type's flags: sound mode when both are clear.
    virtual bool isMultiMode() const = 0;
    virtual bool isSequenceMode() const = 0;
    // The lower grid shows category banks, or search-result banks; the category view wins.
    virtual bool isCategoryView() const = 0;
    virtual bool isSearchView() const = 0;
    // Set by the grid's clicks and keys, cleared by a started rename: a new slot name is
    // applied only while it is clear.
    virtual void setGridFocus(bool focus) = 0;
    // The part being edited (0..15).
    virtual int getCurrentPart() = 0;

    // The named layers "patchRename" and "saveChangesLayer"; null while there is none.
    virtual ControlLayer* getPatchRenameLayer() = 0;
    virtual ControlLayer* getSaveChangesLayer() = 0;
    // The slot grid; null while the editor has none.
    virtual LibrarianViewControl* getLibrarianView() = 0;

    // Sends entry `slot` of the bank shown on `side` (0 upper, 1 lower) to the part's edit
    // buffer, when the part is not locked and the job thread is idle.
    virtual void sendPatchToDeviceFromLibrarian(int slot, int side, int part) = 0;
    // Make the slot context menu of the kind, releasing the previous one, and show it.
    virtual void showFileEditMenu(int x, int y) = 0;
    virtual void showFileCopyMenu(int x, int y) = 0;

    // True arms the librarian collection of the mode; false makes the next dump go to the
    // editor. Both clear the answer flag.
    virtual void SetLibrarianRequestActive(bool librarian) = 0;
    // True ends the librarian request, marks the bank unsaved and shows the notice; false,
    // once the bank is saved, takes the unsaved-bank controls away again.
    virtual void SetLibrarianStatusUnsaved(bool on) = 0;
    // Ends an armed librarian collection without storing or showing anything.
    virtual void DisarmLibrarianRequests() = 0;
    // The plug-in's own SysEx input for dumps it feeds itself: past the input gate, straight
    // to the message manager. Returns whether an armed librarian collection stored it.
    virtual bool ProcessSysExInternal(ISysEx* msg) = 0;

    // Posts a job to the dump worker when it is idle: setArguments writes the job's
    // arguments and makes the poster's side effects, and runs only when the job is started.
    virtual bool postJob(int command, const std::function<void(SenderJob&)>& setArguments) = 0;
    // The message manager's flags that posters set: incoming dumps go to the editor; a
    // transfer job runs.
    virtual void setDumpAwaited(bool awaited) = 0;
    virtual void setManagerBusy(bool busy) = 0;
    // Arms the sound collection and requests the edit buffer of the current part, or sound
    // min(upper slot, 99) of `bank`; nothing happens while the job thread is busy.
    virtual void sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) = 0;

    // ---- The bank menus.
    // The bank last chosen at a bank-menu position: its file name and holding folder. The
    // setters are the librarian host's; a plug-in that is both overrides them once.
    virtual const std::string& rememberedFileName(LibrarianHost::BankPosition position) const = 0;
    virtual const std::string& rememberedFolder(LibrarianHost::BankPosition position) const = 0;
    virtual void setRememberedFileName(LibrarianHost::BankPosition position,
                                       const std::string& fileName) = 0;
    virtual void setRememberedFolder(LibrarianHost::BankPosition position,
                                     const std::string& folder) = 0;
    // The first control bound to the parameter as found at start-up (the bank-list displays
    // of `kPatchSelectionListUpper` and `kPatchSelectionListLower` among them); null for none.
    virtual IControl* keptControl(int paramIdx) const = 0;
    // Puts the program page's bank and program menus in line with the upper bank: the
    // program of the mode becomes the grid's upper and current slot and the program menu
    // lists the upper bank; with false the hardware bank menu is refreshed too.
    virtual void updateBankAndProgramMenuNames(bool keepBankMenu) = 0;

    // ---- The program page's bank and program menus and the bank edit menu.
    // The program menu lists the names of the upper librarian bank instead of programs.
    virtual bool isLibrarianNames() const = 0;
    // A program chosen on the hardware is requested back into the editor.
    virtual bool isRequestAfterBankChange() const = 0;
    virtual bool isMidiIoReady() const = 0;
    // Sends bank select and program change from the part's bank and program parameters (the
    // multi's in multi mode); false when refused because another active part uses them.
    virtual bool BankChangeMessage(int part) = 0;
    // Raises the send-running flag and sets the three transfer flags to a, b, c; with `send`
    // it also posts job 0 (both flags false) and waits 400 ms.
    virtual void sendPatchAndPatternToDevice(int part, bool a, bool b, bool c, bool send) = 0;
    // The flags of the above alone, for a poster of job 0 that does not wait.
    virtual void setArrangementSendFlags(bool a, bool b, bool c) = 0;
    // Writes every entry of the active side's bank into hardware bank `bank` (job 5), or
    // sends the entry at the upper slot to the part (job 4, `quiet`: no All Notes Off first);
    // nothing without MIDI I/O or while the job thread is busy.
    virtual void SendAllProgramsFromLibrarian(int bank) = 0;
    virtual void SendSingleProgramFromLibrarian(bool quiet, int part) = 0;
    // Arms the sound collection and requests the 100 sounds of bank 0..3 (job 12); nothing
    // happens while the job thread is busy.
    virtual void sendAllPatchRequestSysexFromLibrarian(int bank) = 0;
    // The part that the next incoming pattern dump fills.
    virtual void setPatternTargetPart(int part) = 0;
    // The message manager's flag that a librarian collection stored its entry.
    virtual void clearEntryStored() = 0;
    virtual void OpenDataDirectory() = 0;
    // Asks for a ".mid" file (`midi`), else a ".syx" or ".vub" file, and copies it into the
    // patches folder.
    virtual void saveImportedFile(bool midi) = 0;
    // The data folder, ending in "/"; the librarian host's, where the plug-in is both.
    virtual std::string dataFolder() const = 0;
};

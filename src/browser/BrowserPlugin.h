#pragma once

#include "src/sender/SenderJob.h"

#include <functional>

class ControlLayer;
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
    // True ends the librarian request, marks the bank unsaved and shows the notice.
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
};

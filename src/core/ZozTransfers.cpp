// The glue around transfers between the editor, the librarian and the synthesizer: where the
// next dump goes, the arrangement and part sends, the progress overlay and the unsaved state
// of the edited bank. Runs on the editor's thread, the MIDI input thread and the dump worker.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "platform/Clock.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/params/PageZones.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

constexpr int kParts = 16;
constexpr int kSectionLocks = 40;
constexpr int kAfterArrangementPostMillis = 400;
constexpr int kBeforeSendBackMillis = 100;

// By the librarian's kind of data (sounds, multis, patterns): the upper bank chooser hidden
// while the edited bank is unsaved, and the status text.
struct ReceivedRow {
    const char* chooser;
    const char* text;
};
const ReceivedRow kReceived[] = {
    {"UPPERPOPUPMENU", "Program received to slot(s)"},
    {"LeftPerformancePopupMenu", "Multi received to slot(s)"},
    {"LeftPatternPopupMenu", "Pattern received to slot(s)"},
};

void hide(ControlLayer* layer, bool hidden) {
    if (layer) layer->Hide(hidden);
}

void gray(ControlLayer* layer, bool grayed) {
    if (layer) layer->GrayOut(grayed);
}

} // namespace

// Counted after the manager cleared its flag: an input that sees the new count can only see
// that flag raised anew.
void Zoz::SetLibrarianRequestActive(bool toLibrarian) {
    messageManager->setLibrarianRequestActive(toLibrarian, multiMode, sequenceMode);
    ++armings;
}

void Zoz::armLibrarianRequestForSlot(SysexMessage::Address slot) {
    messageManager->setLibrarianRequestActive(true, multiMode, sequenceMode, slot);
    ++armings;
}

bool Zoz::postArrangementSend(bool gateIncoming, bool includeSounds, bool includeGlobal) {
    const bool busy = arrangementBusy, gate = incomingGate, sounds = arrangementBatch,
               global = globalFirst;
    bool written = false;
    const bool posted = postJob(SenderJob::kSendArrangementToDevice, [&](SenderJob& job) {
        setArrangementSendFlags(gateIncoming, includeSounds, includeGlobal);
        job.dumpOption1 = job.dumpOption2 = false;
        written = true;
    });
    // The thread library may refuse the start after the flags were written.
    if (written && !posted) {
        arrangementBusy = busy;
        incomingGate = gate;
        arrangementBatch = sounds;
        globalFirst = global;
    }
    return posted;
}

void Zoz::sendPatchAndPatternToDevice(int, bool gateIncoming, bool includeSounds,
                                      bool includeGlobal, bool start) {
    const bool posted = start && postArrangementSend(gateIncoming, includeSounds, includeGlobal);
    if (start) platform::SleepMillis(kAfterArrangementPostMillis);
    // A posted job reads the pattern flag long after this and clears it itself.
    if (posted)
        incomingGate = false;
    else
        patternToo = false;
}

void Zoz::sendPartDataBackToHardware(int part) {
    if (part < 0 || part >= kParts) return;
    if (midiIOSet && !arrangementBusy) platform::SleepMillis(kBeforeSendBackMillis);
    for (int k = 0; k < kSectionLocks; ++k) {
        if (GetParamValue(kSectionLockOsc1 + kParts * k + part) != 1.0) continue;
        postJob(SenderJob::kSendPartToDevice, [part](SenderJob& job) {
            job.part = part;
            job.dumpOption1 = job.dumpOption2 = false;
        });
        return;
    }
}

// The first cancel button sits on the librarian page, the second on the others. The
// librarian's filters are grayed meanwhile and then set as their switches stand, for showing
// a layer does not ungray it.
void Zoz::DisplayProcessingIndicator(bool show) {
    const bool librarianPage = GetParamValue(kMainTab) == 1.0;
    ControlLayer* categoryLimit = namedLayer("categoryLimit");
    ControlLayer* searchField = namedLayer("searchField");
    IControl* search = keptControl(kPatchSearch);
    if (show) progressShowing = true;
    showProgressIndicator(show);
    for (int i = 0; i < 2; ++i)
        if (cancelButtons[i]) cancelButtons[i]->Hide(!show || librarianPage != (i == 0));
    if (show) {
        if (!librarianPage) return;
        gray(categoryLimit, true);
        gray(searchField, true);
        if (search) search->GrayOut(true);
        return;
    }
    progressShowing = false;
    arrangementBusy = false;
    incomingGate = false;
    messageManager->dumpAwaited = false;
    if (librarianPage) showLibrarianFilters(this);
    notesOffSent = false;
}

ControlLayer* Zoz::popupMenuLayerNamed(const std::string& name) const {
    for (ControlLayer* layer : popupLayers)
        if (layer && layer->getName() == name) return layer;
    return nullptr;
}

void Zoz::SetLibrarianStatusUnsaved(bool unsaved) {
    const ReceivedRow& row = kReceived[multiMode ? 1 : sequenceMode ? 2 : 0];
    hide(namedLayer("discardChangesLayerRight"), !unsaved);
    hide(namedLayer("keepBankOpenLayer"), unsaved);
    // The upper bank cannot be changed until the bank is saved or discarded.
    hide(popupMenuLayerNamed(row.chooser), unsaved);
    if (!unsaved) {
        storeParamValue(kBankEditUnsaved, 0.0);
        return;
    }
    messageManager->dumpAwaited = false;
    messageManager->disarmLibrarianRequests();
    // Stored as they are: the change handling of these runs when the user answers.
    storeParamValue(kBankEditUnsaved, 1.0);
    storeParamValue(kDiscardBankData, 0.0);
    setUpperDisplayText(row.text);
    setLibrarianViewDirty();
}

void Zoz::SendSingleProgramFromLibrarian(bool quiet, int part) {
    noNotesOff = quiet;
    sendPatchToDeviceFromLibrarian(librarian->upperSlotIndex, getLibrarianViewSide(), part);
}

void Zoz::SendAllProgramsFromLibrarian(int bank) {
    librarian->upperSlotIndex = 0;
    storeAllPatchesToDeviceFromLibrarian(getLibrarianViewSide(), 0, bank);
}

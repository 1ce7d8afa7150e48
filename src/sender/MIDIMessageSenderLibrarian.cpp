#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"
#include "src/librarian/PatchFile.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <string>

namespace {

constexpr int kAfterNotesOffMillis = 50;
constexpr int kAfterLoadMillis = 50;
constexpr int kParts = 16;
constexpr int kShortMessageSize = 3;
// The shortest stored message that has the header a transfer rewrites.
constexpr int kHeaderSize = 7;

// What the librarian's mode sends: the dump id and the dump's full length.
struct ModeDump {
    uint8_t id;
    int fullSize;
};
enum LibrarianMode { kSounds, kMultis, kPatterns };
const ModeDump kModeDumps[] = {
    {kSysexSoundDump, SysexMessage::kSoundDumpSize},
    {kSysexMultiDump, SysexMessage::kMultiDumpSize},
    {kSysexPatternDump, SysexMessage::kPatternDumpSize},
};

// Patterns, else multis, else sounds.
LibrarianMode librarianMode(SenderPlugin* plugin) {
    return plugin->isSequenceMode() ? kPatterns : plugin->isMultiMode() ? kMultis : kSounds;
}

// All Notes Off on channel 1 before a transfer.
IMidiMsg allNotesOff() {
    return IMidiMsg(0, 0xB0, 123, 0);
}

// The first stored message when it can be re-addressed: F0 3E and the whole header.
const PatchSysexMessage* storedDump(const LibrarianPatch& entry) {
    if (entry.dumps.empty()) return nullptr;
    const PatchSysexMessage& d = entry.dumps.front();
    if (d.size() < kHeaderSize || d.bytes[0] != SysexMessage::kStart ||
        d.bytes[1] != SysexMessage::kManufacturerId)
        return nullptr;
    return &d;
}

// The stored dump with bytes 2 to 6 rewritten. A shorter one is brought to its full length
// (00 fill, F7 last) and checksummed; a full-length one is checksummed when `checksumFull`;
// a longer one goes as stored.
std::vector<uint8_t> readdressed(PatchSysexMessage dump, int deviceId, const ModeDump& kind,
                                 SysexMessage::Address address, bool checksumFull) {
    std::vector<uint8_t>& b = dump.bytes;
    b[2] = SysexMessage::kModelId;
    b[3] = uint8_t(deviceId & 0x7F);
    b[4] = kind.id;
    b[5] = address.high;
    b[6] = address.low;
    const bool padded = dump.size() < kind.fullSize;
    if (padded) {
        dump.padTo(kind.fullSize);
        b.back() = SysexMessage::kEnd;
    }
    if (padded || (checksumFull && dump.size() == kind.fullSize)) dump.writeChecksum();
    return b;
}

} // namespace

const PatchFile* MIDIMessageSender::storeSourceBank(int source) const {
    if (!librarian) return nullptr;
    std::vector<PatchFile*>* list = librarian->bankList(librarian->currentType);
    int index = librarian->upperBankIndex;
    if (source != 0) {
        index = librarian->lowerBankIndex;
        const SenderPlugin::LowerView view = plugin->getLowerView();
        if (view == SenderPlugin::kLowerCategories) list = &librarian->categoryBanks;
        if (view == SenderPlugin::kLowerSearchResults) list = &librarian->searchBanks;
    }
    if (!list || index < 0 || index >= int(list->size())) return nullptr;
    return (*list)[size_t(index)];
}

void MIDIMessageSender::storeAllPatchesToDeviceFromLibrarian(int source, int firstSlot, int bank) {
    plugin->DisplayProcessingIndicator(true);
    IMidiMsg notesOff = allNotesOff();
    transmit(kShortMessageSize, [&] {
        plugin->sendMidiMsgAndLog(&notesOff);
        return true;
    });
    cancel = false;
    pause(kAfterNotesOffMillis);
    bool hasBank;
    {
        KIT_MutexLock lock(librarian ? &librarian->mutex() : nullptr);
        hasBank = storeSourceBank(source) != nullptr;
    }
    if (!hasBank) {
        plugin->DisplayProcessingIndicator(false);
        return;
    }

    const LibrarianMode mode = librarianMode(plugin);
    const int t = plugin->getTimerValue();
    int slot = firstSlot;
    int failedAt = kNoneFailed; // the first of the synthesizer's slots whose dump did not arrive
    for (int i = 0; i < PatchFile::kBankSize; ++i, ++slot) {
        // A copy taken under the lock: a store or reload may change the bank meanwhile.
        PatchSysexMessage stored;
        {
            KIT_MutexLock lock(&librarian->mutex());
            const PatchFile* b = storeSourceBank(source);
            if (!b || slot < 0 || slot >= int(b->entries.size())) break;
            const PatchSysexMessage* d = storedDump(b->entries[size_t(slot)]);
            if (!d) break;
            stored = *d;
        }
        const SysexMessage::Address address = mode == kSounds   ? SysexMessage::soundSlot(bank, i)
                                              : mode == kMultis ? SysexMessage::multiSlot(i)
                                                                : SysexMessage::patternSlot(i);
        const std::vector<uint8_t> dump =
            readdressed(stored, plugin->getDeviceId(), kModeDumps[mode], address, true);
        // The progress counts dumps that have crossed the cable. A dump is watched on while
        // the next ones go: each into its own slot, whenever it goes again.
        if (!sendWatched(i, [this, dump, t] {
                const bool sent =
                    transmit(int(dump.size()), [&] { return plugin->SendMidiSysex2(dump); });
                pace(t);
                return sent;
            })) {
            failedAt = i;
            break;
        }
        failedAt = settleWatched(false);
        if (failedAt != kNoneFailed || halted()) break;
        show("Writing " + std::to_string(i) + "%, please wait..");
    }
    // "Completed" only once no dump can still have been dropped.
    const int failedLate = settleWatched(true);
    if (failedLate != kNoneFailed && (failedAt == kNoneFailed || failedLate < failedAt))
        failedAt = failedLate;
    plugin->DisplayProcessingIndicator(false);
    setSelectedSlot(0);
    if (failedAt != kNoneFailed)
        failed("slot " + std::to_string(failedAt + 1), false);
    else
        show(cancel ? "Data write CANCELLED!" : "Data write completed!");
}

void MIDIMessageSender::sendPatchToDeviceFromLibrarian(
    const std::shared_ptr<const LibrarianPatch>& patch, int part, bool) {
    const PatchSysexMessage* stored = patch ? storedDump(*patch) : nullptr;
    if (!stored || part < 0 || part >= kParts) return;
    plugin->DisplayProcessingIndicator(true);
    IMidiMsg notesOff = allNotesOff();
    transmit(kShortMessageSize, [&] { return plugin->SendMidiMsg(&notesOff); });
    pause(kAfterNotesOffMillis);

    const LibrarianMode mode = librarianMode(plugin);
    const SysexMessage::Address address =
        mode == kSounds ? SysexMessage::soundEditBuffer(part) : SysexMessage::multiEditBuffer();
    std::vector<uint8_t> dump =
        readdressed(*stored, plugin->getDeviceId(), kModeDumps[mode], address, false);
    plugin->setAwaitedDumpPart(part);

    // Into the editor as if the synthesizer had sent it: the parsers fill the part or multi.
    plugin->SetLibrarianRequestActive(false);
    plugin->setTransferRunning(false);
    ISysEx message(0, dump.data(), int(dump.size()));
    plugin->ProcessSysExInternal(&message);
    pause(kAfterLoadMillis);

    // A bank conflict sends nothing more, nor a bank change that JACK dropped every time.
    const auto bankChanged = [&] {
        const BankChange change = changeBank(part, 0);
        if (change == BankChange::kLost) failed("part " + std::to_string(part + 1));
        return change == BankChange::kSent;
    };
    switch (mode) {
    case kPatterns:
        sendSequenceToDevice(part, false, true);
        break;
    case kMultis:
        plugin->SetParameterFromPlug(kMultiPatch, plugin->getLastProgramNumber());
        plugin->clearBatchAndGlobalFirst();
        if (bankChanged()) sendArrangementToDevice(false, true);
        break;
    case kSounds:
        plugin->setTransferRunning(true);
        plugin->SetParameterFromPlug(kMultiPartPatch + part, plugin->getLastProgramNumber());
        if (bankChanged()) sendPartToDevice(part, false, true);
        break;
    }
    // Also ends the editor's wait for a dump and the transfer.
    plugin->DisplayProcessingIndicator(false);
}

#pragma once

#include "src/librarian/LibrarianPatch.h"
#include "src/sender/SysexMessage.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

// A collection for the librarian's selected slot: armed by the thread that requests a dump,
// filled on the MIDI input thread. It takes only complete dumps of its own kind, so neither a
// parameter message nor a cut or foreign dump can become the slot's entry; armed for a slot,
// only the dump addressed to that slot, so a late answer to an earlier slot cannot either.
class LibrarianRequest {
public:
    // The longest dump a record takes: the MIDI output sends nothing longer.
    static constexpr int kLongestDump = 16000;

    // What a message did to the collection.
    enum class Take {
        kIgnored,   // not a complete dump of the record's kind, or nothing armed
        kOtherSlot, // a dump of its kind addressed to another slot than the awaited one
        kCompleted, // taken: the entry is complete
    };

    // Takes dumps F0 3E 0F dd `dumpId` of minSize..maxSize bytes, named by the 16 bytes at
    // nameOffset.
    LibrarianRequest(uint8_t dumpId, int minSize, int maxSize, int nameOffset);

    // Empties the collection and lets it collect; with `slot`, only a dump whose address
    // bytes (5 and 6) are the slot's, to be stored into the librarian's slot `slotIndex`.
    void arm(std::optional<SysexMessage::Address> slot = std::nullopt, int slotIndex = -1);
    // Appends a dump of the record's kind and size (and slot), names the entry after it and
    // stops collecting, with a copy of the completed entry in `completed` when given (a copy
    // taken later may already be emptied by the next arming). Any other message is left.
    // `slotIndex` receives the librarian slot given at arming (-1: the selected one).
    Take addMessageData(const uint8_t* data, int size, LibrarianPatch* completed = nullptr,
                        int* slotIndex = nullptr);
    // A copy of the entry collected so far.
    LibrarianPatch entry() const;

    std::atomic<int> state{1};
    std::atomic<bool> active{false};

private:
    const uint8_t dumpId;
    const int minSize;
    const int maxSize;
    const int nameOffset;
    mutable std::mutex mutex;
    LibrarianPatch patch;
    std::optional<SysexMessage::Address> awaitedSlot;
    int awaitedSlotIndex = -1;
};

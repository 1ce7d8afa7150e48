#pragma once

#include "src/core/Patch.h"

#include <mutex>
#include <string>

class Zoz;

// The plug-in's patch-state holder: the snapshot of the plug-in state taken at start-up and the
// names of the project chunk's patch-manager block. Slots: 0 the multi, 1 + part the part's
// sound, 17 and 18 the MIDI In and Out device names, 19 + part its category, 35 + part its
// pattern; 51 is never stored. Names are written from the MIDI input and worker threads and
// read on the host's, so they are written through setName and read under its lock.
class PatchManager : public Patch {
public:
    // Slots 0 .. kStoredNames - 1 are stored.
    static constexpr int kStoredNames = 51;

    explicit PatchManager(Zoz* owner) : owner(owner) {}

    // Takes a snapshot of the owner's state without this block.
    void init();
    // Appends the block: two version words, the snapshot's big-endian length, the snapshot
    // and the stored names.
    void saveAllToChunk(ByteChunk* chunk);
    // Reads the block at pos into the snapshot and the names; the position after it, or -1
    // with nothing changed when the block does not fit the chunk or holds a negative length.
    int loadAllFromChunk(ByteChunk* chunk, int pos);
    // The position after a well-formed block at pos, or -1.
    static int blockEnd(const ByteChunk& chunk, int pos);
    // Appends at most width bytes of s, up to its first NUL, after their count.
    static void putStringToChunk(ByteChunk* chunk, const std::string& s, int width);
    // The width a slot's name is stored in.
    static int nameWidth(int slot);

    // An index outside the names changes nothing.
    void setName(int slot, const std::string& name);
    // The name in the slot; "" outside the names.
    std::string getName(int slot);

    int selectedBank = 0;
    int selectedPatch = 0;

private:
    Zoz* owner;
    std::mutex namesMutex;
};

#include "kit/effect/ByteChunk.h"
#include "src/librarian/PatchLibrarian.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint8_t kManufacturer = 0x3E;
constexpr uint8_t kEndOfExclusive = 0xF7;
const uint8_t kMidiFileMagic[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
constexpr int kFirstChunkOffset = 14;

// Source model by the dump's model byte; -1 for a model that is not read.
int sourceModelOf(uint8_t modelByte, int modelOfQ) {
    switch (modelByte) {
    case 0x0F:
        return modelOfQ;
    case 0x10:
        return PatchFile::kMicroQ;
    case 0x13:
        return PatchFile::kBlofeld;
    default:
        return -1;
    }
}

struct DumpKind {
    uint8_t messageId;
    int kindCode;
    int bankType;
    int nameOffset;
};
const DumpKind kDumpKinds[] = {
    {PatchSysexMessage::kSound, LibrarianPatch::kSoundKind, PatchFile::kSoundBank,
     PatchSysexMessage::kSoundNameOffset},
    {PatchSysexMessage::kMulti, LibrarianPatch::kMultiKind, PatchFile::kMultiBank,
     PatchSysexMessage::kMultiNameOffset},
    {PatchSysexMessage::kPattern, LibrarianPatch::kPatternKind, PatchFile::kPatternBank,
     PatchSysexMessage::kPatternNameOffset},
};

const DumpKind* dumpKindOf(uint8_t messageId) {
    for (const DumpKind& k : kDumpKinds)
        if (k.messageId == messageId) return &k;
    return nullptr;
}

// A MIDI file's SysEx event: its bytes after the F0 and the length.
struct Span {
    int begin;
    int end;
};

bool readVariableLength(const uint8_t* d, int& pos, int end, uint32_t* value) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && pos < end; ++i) {
        const uint8_t b = d[pos++];
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) {
            *value = v;
            return true;
        }
    }
    return false;
}

// Data bytes of the channel messages 8x to Ex.
const int kChannelDataBytes[7] = {2, 2, 2, 2, 1, 1, 2};

bool walkTrack(const uint8_t* d, int pos, int end, std::vector<Span>* events) {
    int running = 0;
    while (pos < end) {
        uint32_t delta = 0, length = 0;
        if (!readVariableLength(d, pos, end, &delta) || pos >= end) return false;
        int status = d[pos];
        if (status < 0x80) {
            if (!running) return false;
            status = running;
        } else {
            ++pos;
        }
        if (status < 0xF0) {
            const int n = kChannelDataBytes[(status >> 4) - 8];
            if (end - pos < n) return false;
            pos += n;
            running = status;
            continue;
        }
        // Meta and SysEx events carry a length; they end running status.
        running = 0;
        int type = -1;
        if (status == 0xFF) {
            if (pos >= end) return false;
            type = d[pos++];
        } else if (status != 0xF0 && status != 0xF7) {
            return false;
        }
        if (!readVariableLength(d, pos, end, &length) || length > uint32_t(end - pos)) return false;
        if (status == 0xF0) events->push_back({pos, pos + int(length)});
        pos += int(length);
        if (type == 0x2F) return true; // end of track: whatever follows is not read
    }
    return true;
}

// Every SysEx event of every track, in file order; false when any length or event does not fit.
bool listSysexEvents(const uint8_t* d, int size, std::vector<Span>* events) {
    int pos = kFirstChunkOffset;
    while (pos < size) {
        if (size - pos < 8) return false;
        const uint32_t length = uint32_t(d[pos + 4]) << 24 | uint32_t(d[pos + 5]) << 16 |
                                uint32_t(d[pos + 6]) << 8 | d[pos + 7];
        const int body = pos + 8;
        if (length > uint32_t(size - body)) return false;
        const int end = body + int(length);
        if (memcmp(d + pos, "MTrk", 4) == 0 && !walkTrack(d, body, end, events)) return false;
        pos = end;
    }
    return true;
}
} // namespace

void PatchLibrarian::loadFromChunk(const ByteChunk& chunk, PatchFile* bank) {
    const int size = chunk.Size();
    if (size < 15 || !bank) return;
    const uint8_t* d = chunk.GetData();
    int slot = 0;
    auto nextSlot = [&](int last) {
        if (!bank->entries.empty()) ++slot;
        if (slot > last) slot = 0;
    };
    std::vector<Span> events;
    int position = 0;
    int lastSlot = 127;
    if (memcmp(d, kMidiFileMagic, sizeof kMidiFileMagic) == 0) {
        lastSlot = 99;
        if (listSysexEvents(d, size, &events)) {
            for (const Span& e : events)
                if (readMIDIMessage(chunk, e.begin, e.end, bank, PatchFile::kQ, slot))
                    nextSlot(lastSlot);
            position = -1;
        } else {
            // Older writers put the lengths of a full bank of nominal dumps around dumps of any
            // length: their dumps are still found by their own bytes.
            log("PATCH LIBRARIAN: MIDI file framing does not fit its data, dumps found by their "
                "own bytes");
            position = kFirstChunkOffset;
        }
    } else if (d[1] == kManufacturer && d[2] == 0x0F && d[3] < 0x80 &&
               (d[4] == PatchSysexMessage::kSound || d[4] == PatchSysexMessage::kMulti)) {
        lastSlot = 99;
    }
    while (position >= 0 && readSysexMessage(chunk, position, bank, PatchFile::kQ, slot) > 0)
        nextSlot(lastSlot);
    checkBankSizeAndAddData(bank);
    createCategories(bank);
}

int PatchLibrarian::readSysexMessage(const ByteChunk& chunk, int& position, PatchFile* bank,
                                     int model, int slot) {
    position = readDump(chunk.GetData(), position, chunk.Size(), bank, model, slot);
    return position;
}

bool PatchLibrarian::readMIDIMessage(const ByteChunk& chunk, int begin, int end, PatchFile* bank,
                                     int model, int slot) {
    // An event of another manufacturer is no dump, whatever bytes it holds further on.
    if (begin < 0 || begin >= end || end > chunk.Size() || chunk.GetData()[begin] != kManufacturer)
        return false;
    readDump(chunk.GetData(), begin, end, bank, model, slot);
    return true;
}

int PatchLibrarian::readDump(const uint8_t* d, int position, int end, PatchFile* bank, int model,
                             int slot) {
    if (position < 0) return -1;
    int p = position;
    while (p < end && d[p] != kManufacturer)
        ++p;
    // The header: model byte, device id, message id, location byte.
    if (p + 1 >= end) return -1;
    const int sourceModel = sourceModelOf(d[p + 1], model);
    if (sourceModel < 0) return p + 2;
    if (p + 2 >= end) return -1;
    if (d[p + 2] >= 0x80) return p + 3;
    if (p + 3 >= end) return -1;
    const DumpKind* kind = dumpKindOf(d[p + 3]);
    if (!kind) return p + 4;
    if (p + 4 >= end) return -1;
    if (d[p + 4] >= 0x80) return p + 5;

    int q = p + 5;
    while (q < end && d[q] < 0x80)
        ++q;
    const uint8_t header[] = {0xF0, kManufacturer, 0x0F, 0x00, kind->messageId, uint8_t(slot)};
    const int full = kind->messageId == PatchSysexMessage::kPattern
                         ? PatchSysexMessage::kPatternSize
                         : PatchSysexMessage::kSoundSize;
    PatchSysexMessage dump;
    dump.bytes.reserve(size_t(std::max(full, q - p + 2)));
    dump.bytes.assign(header, header + sizeof header);
    dump.bytes.insert(dump.bytes.end(), d + p + 5, d + q);
    dump.bytes.push_back(kEndOfExclusive);
    // A dump ends at its F7; any other status byte (a dump cut short) ends it too and
    // starts the next scan, so the dump that follows is not swallowed.
    const int next = q >= end ? -1 : d[q] == kEndOfExclusive ? q + 1 : q;

    if (kind->messageId == PatchSysexMessage::kSound) {
        if (sourceModel == PatchFile::kBlofeld) {
            alterPatchFromBlofeldFormat(&dump);
            alterBlofeldCategoryFormat(&dump);
        }
        if (sourceModel != PatchFile::kQ) alterPatchFromMicroQFormat(&dump);
    }
    PatchSysexMessage::checkPatchDataSize(&dump, kind->messageId == PatchSysexMessage::kSound,
                                          kind->messageId == PatchSysexMessage::kPattern);
    LibrarianPatch entry;
    entry.kind = kind->kindCode;
    entry.name = dump.text(kind->nameOffset, 16);
    entry.dumps.push_back(std::move(dump));
    if (kind->messageId == PatchSysexMessage::kSound)
        entry.parseCategory(PatchSysexMessage::kCategoryOffset);
    bank->entries.push_back(std::move(entry));
    bank->bankType = kind->bankType;
    bank->sourceModel = PatchFile::kQ;
    return next;
}

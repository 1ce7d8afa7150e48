#include "src/librarian/PatchSysexMessage.h"

#include "kit/effect/ByteChunk.h"

namespace {
constexpr uint8_t kEndOfExclusive = 0xF7;
constexpr uint8_t kSoundChecksumPlaceholder = 0x56;
constexpr uint8_t kMultiChecksumPlaceholder = 0x7A;

void putVariableLength(ByteChunk* chunk, uint32_t v) {
    uint8_t out[5];
    int n = 0;
    out[n++] = uint8_t(v & 0x7F);
    while ((v >>= 7) != 0)
        out[n++] = uint8_t(0x80 | (v & 0x7F));
    for (int i = n - 1; i >= 0; --i)
        chunk->PutBytes(&out[i], 1);
}
} // namespace

std::string PatchSysexMessage::text(int offset, int count) const {
    std::string s;
    for (int i = offset; i >= 0 && i < offset + count && i < size(); ++i)
        s += char(bytes[i]);
    return s;
}

void PatchSysexMessage::dropClosingF7() {
    if (!bytes.empty() && bytes.back() == kEndOfExclusive) bytes.pop_back();
}

void PatchSysexMessage::padTo(int n) {
    if (size() >= n) return;
    dropClosingF7();
    bytes.resize(size_t(n), 0);
}

void PatchSysexMessage::writeChecksum(uint8_t* message, int n) {
    if (!message || n < 6) return;
    const bool framed = message[0] == 0xF0;
    const int first = framed ? 4 : 3;
    const int target = framed ? n - 2 : n - 1;
    unsigned sum = 0;
    for (int i = first; i < target; ++i)
        sum += message[i];
    message[target] = uint8_t(sum & 0x7F);
}

void PatchSysexMessage::checkPatchDataSize(PatchSysexMessage* message, bool sound, bool pattern) {
    std::vector<uint8_t>& b = message->bytes;
    const int full = pattern ? kShortPatternSize : kSoundSize;
    if (message->size() < full) {
        message->dropClosingF7();
        if (pattern) {
            b.resize(kShortPatternSize - 1, 0);
        } else {
            b.resize(kSoundSize - 2, 0);
            b.push_back(sound ? kSoundChecksumPlaceholder : kMultiChecksumPlaceholder);
        }
        b.push_back(kEndOfExclusive);
    }
    message->writeChecksum();
}

void PatchSysexMessage::save(ByteChunk* chunk, bool asMidi, bool firstEvent) const {
    if (bytes.empty()) return;
    if (!asMidi) {
        chunk->PutBytes(bytes.data(), size());
        return;
    }
    static const uint8_t kFirstDelta[] = {0x00, 0xF0};
    static const uint8_t kLaterDelta[] = {0x83, 0x74, 0xF0};
    if (firstEvent)
        chunk->PutBytes(kFirstDelta, sizeof kFirstDelta);
    else
        chunk->PutBytes(kLaterDelta, sizeof kLaterDelta);
    // The event carries everything after the F0.
    const int skip = bytes[0] == 0xF0 ? 1 : 0;
    putVariableLength(chunk, uint32_t(size() - skip));
    chunk->PutBytes(bytes.data() + skip, size() - skip);
}

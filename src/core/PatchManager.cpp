#include "src/core/PatchManager.h"

#include "src/core/Zoz.h"

#include <algorithm>
#include <cstring>

namespace {

struct NameWidth {
    int lastSlot;
    int width;
    // Read back at exactly the width, cut or padded with NULs; device names keep their length.
    bool padded;
};
// Sound, multi and pattern names 16 bytes, device names 32, categories 4.
const NameWidth kNameWidths[] = {{16, 16, true}, {18, 32, false}, {34, 4, true}, {50, 16, true}};

const NameWidth* widthRow(int slot) {
    for (const NameWidth& row : kNameWidths)
        if (slot <= row.lastSlot) return &row;
    return nullptr;
}

void putBigEndian(ByteChunk* chunk, uint32_t v) {
    const uint8_t bytes[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    chunk->PutBytes(bytes, 4);
}

uint32_t bigEndianAt(const uint8_t* b) {
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

// Two version words, then the snapshot's length.
constexpr int kBlockHead = 12;

const uint8_t kVersion[4] = {0, 0, 0, 1};

} // namespace

void PatchManager::init() {
    ByteChunk snapshot(4096);
    owner->SerializeState2(&snapshot, false);
    state.Clear();
    state.PutChunk(&snapshot);
}

int PatchManager::nameWidth(int slot) {
    const NameWidth* row = widthRow(slot);
    return row ? row->width : 0;
}

void PatchManager::putStringToChunk(ByteChunk* chunk, const std::string& s, int width) {
    const int n = int(strnlen(s.c_str(), size_t(std::max(width, 0))));
    chunk->PutInt(n);
    chunk->PutBytes(s.data(), n);
}

void PatchManager::saveAllToChunk(ByteChunk* chunk) {
    ByteChunk block(4096);
    block.PutBytes(kVersion, 4);
    block.PutBytes(kVersion, 4);
    putBigEndian(&block, uint32_t(state.Size()));
    block.PutChunk(&state);
    std::lock_guard<std::mutex> lock(namesMutex);
    for (int slot = 0; slot < kStoredNames; ++slot)
        putStringToChunk(&block, names[size_t(slot)], nameWidth(slot));
    chunk->PutChunk(&block);
}

int PatchManager::blockEnd(const ByteChunk& chunk, int pos) {
    const int64_t size = chunk.Size();
    if (pos < 0 || size - pos < kBlockHead) return -1;
    int64_t at = int64_t(pos) + kBlockHead + bigEndianAt(chunk.GetData() + pos + 8);
    for (int slot = 0; slot < kStoredNames && at <= size; ++slot) {
        int32_t n = 0;
        if (chunk.GetInt(&n, int(at)) < 0 || n < 0) return -1;
        at += 4 + int64_t(n);
    }
    return at <= size ? int(at) : -1;
}

int PatchManager::loadAllFromChunk(ByteChunk* chunk, int pos) {
    const int end = blockEnd(*chunk, pos);
    if (end < 0) return -1;
    const uint8_t* b = chunk->GetData();
    const int length = int(bigEndianAt(b + pos + 8));
    int at = pos + kBlockHead;
    state.Clear();
    state.PutBytes(b + at, length);
    at += length;
    std::lock_guard<std::mutex> lock(namesMutex);
    for (int slot = 0; slot < kStoredNames; ++slot) {
        int32_t n = 0;
        at = chunk->GetInt(&n, at);
        const char* text = reinterpret_cast<const char*>(b + at);
        std::string name(text, strnlen(text, size_t(n)));
        at += n;
        const NameWidth* row = widthRow(slot);
        if (row->padded) name.resize(size_t(row->width), '\0');
        names[size_t(slot)] = std::move(name);
    }
    return at;
}

std::string PatchManager::getName(int slot) {
    if (slot < 0 || slot >= kNames) return "";
    std::lock_guard<std::mutex> lock(namesMutex);
    return names[size_t(slot)];
}

void PatchManager::setName(int slot, const std::string& name) {
    if (slot < 0 || slot >= kNames) return;
    std::lock_guard<std::mutex> lock(namesMutex);
    names[size_t(slot)] = name;
}

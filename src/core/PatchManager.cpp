#include "src/core/PatchManager.h"

#include "src/core/Zoz.h"

#include <algorithm>
#include <cstring>

namespace {

struct NameWidth {
    int lastSlot;
    int width;
};
// Sound, multi and pattern names 16 bytes, device names 32, categories 4.
const NameWidth kNameWidths[] = {{16, 16}, {18, 32}, {34, 4}, {50, 16}};

void putBigEndian(ByteChunk* chunk, uint32_t v) {
    const uint8_t bytes[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    chunk->PutBytes(bytes, 4);
}

const uint8_t kVersion[4] = {0, 0, 0, 1};

} // namespace

void PatchManager::init() {
    ByteChunk snapshot(4096);
    owner->SerializeState2(&snapshot, false);
    state.Clear();
    state.PutChunk(&snapshot);
}

int PatchManager::nameWidth(int slot) {
    for (const NameWidth& row : kNameWidths)
        if (slot <= row.lastSlot) return row.width;
    return 0;
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

void PatchManager::setName(int slot, const std::string& name) {
    if (slot < 0 || slot >= kNames) return;
    std::lock_guard<std::mutex> lock(namesMutex);
    names[size_t(slot)] = name;
}

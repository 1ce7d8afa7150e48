#include "src/incoming/LibrarianRequest.h"

namespace {
constexpr int kNameLength = 16;
const uint8_t kHeader[] = {0xF0, 0x3E, 0x0F};
constexpr int kIdOffset = 4;
constexpr int kAddressOffset = 5;
} // namespace

LibrarianRequest::LibrarianRequest(uint8_t dumpId, int minSize, int maxSize, int nameOffset)
    : dumpId(dumpId), minSize(minSize), maxSize(maxSize), nameOffset(nameOffset) {}

void LibrarianRequest::arm(std::optional<SysexMessage::Address> slot, int slotIndex) {
    std::lock_guard<std::mutex> lock(mutex);
    patch = LibrarianPatch();
    awaitedSlot = slot;
    awaitedSlotIndex = slot ? slotIndex : -1;
    active = true;
}

LibrarianRequest::Take LibrarianRequest::addMessageData(const uint8_t* data, int size,
                                                        LibrarianPatch* completed,
                                                        int* slotIndex) {
    if (!data || size < minSize || size > maxSize) return Take::kIgnored;
    if (data[0] != kHeader[0] || data[1] != kHeader[1] || data[2] != kHeader[2] ||
        data[kIdOffset] != dumpId)
        return Take::kIgnored;
    std::lock_guard<std::mutex> lock(mutex);
    if (!active) return Take::kIgnored;
    if (awaitedSlot &&
        (data[kAddressOffset] != awaitedSlot->high || data[kAddressOffset + 1] != awaitedSlot->low))
        return Take::kOtherSlot;
    patch.dumps.emplace_back(std::vector<uint8_t>(data, data + size));
    patch.name += patch.dumps.back().text(nameOffset, kNameLength);
    state = 1;
    active = false;
    if (completed) *completed = patch;
    if (slotIndex) *slotIndex = awaitedSlotIndex;
    return Take::kCompleted;
}

LibrarianPatch LibrarianRequest::entry() const {
    std::lock_guard<std::mutex> lock(mutex);
    return patch;
}

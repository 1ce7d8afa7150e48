#include "src/sender/SysexMessage.h"

#include "src/librarian/PatchSysexMessage.h"

#include <algorithm>
#include <iterator>

namespace SysexMessage {
namespace {

uint8_t bits7(int v) {
    return uint8_t(v & 0x7F);
}

std::vector<uint8_t> header(int deviceId, SysexMessageId id) {
    return {kManufacturerId, kModelId, bits7(deviceId), id};
}

} // namespace

Address soundEditBuffer(int part) {
    return {0x30, bits7(part)};
}
Address soundSlot(int bank, int slot) {
    return {bits7(bank), bits7(slot)};
}
Address multiEditBuffer() {
    return {0x20, 0x00};
}
Address multiSlot(int slot) {
    return {0x00, bits7(slot)};
}
Address patternEditBuffer() {
    return {0x20, 0x00};
}
Address patternSlot(int slot) {
    return {0x00, bits7(slot + 1)};
}

std::vector<uint8_t> request(int deviceId, SysexMessageId id, Address address) {
    std::vector<uint8_t> m = header(deviceId, id);
    m.push_back(address.high);
    m.push_back(address.low);
    return m;
}

std::vector<uint8_t> deviceIdProbe(int deviceId) {
    return header(deviceId, kSysexGlobalRequest);
}

std::vector<uint8_t> partSelect(int deviceId, int part) {
    return request(deviceId, kSysexPartSelect, {0x00, bits7(2 * part + 1)});
}

std::vector<uint8_t> tempoMessage(int deviceId, int tempoByte) {
    const auto framed = framedTempoMessage(deviceId, tempoByte);
    return {framed.begin() + 1, framed.end() - 1};
}

std::array<uint8_t, kTempoMessageSize> framedTempoMessage(int deviceId, int tempoByte) {
    return {kStart, kManufacturerId,  kModelId, bits7(deviceId), kSysexMultiParameterChange, 0x00,
            0x05,   bits7(tempoByte), kEnd};
}

void writeChecksum(uint8_t* message, int length) {
    if (length >= kChecksumMinSize) PatchSysexMessage::writeChecksum(message, length);
}

void frameDump(uint8_t* dump, int size, SysexMessageId id) {
    const uint8_t head[] = {kStart, kManufacturerId, kModelId, 0x00, id};
    std::copy(std::begin(head), std::end(head), dump);
    dump[size - 1] = kEnd;
}

void writeText(uint8_t* field, int length, const std::string& text) {
    std::fill(field, field + length, uint8_t(' '));
    const int n = std::min(length, int(text.size()));
    for (int i = 0; i < n; ++i)
        field[i] = bits7(text[size_t(i)]);
}

} // namespace SysexMessage

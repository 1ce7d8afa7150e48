#include "src/uiconfig/SysExMessageList.h"

#include <algorithm>

SysExMessageList::SysExMessageList(int messageLength)
    : messageLength_(std::max(messageLength, 0)) {}

std::vector<int> SysExMessageList::message(int k) const {
    if (k < 0 || k >= size()) return {};
    const auto first = bytes.begin() + ptrdiff_t(k) * messageLength_;
    return std::vector<int>(first, first + messageLength_);
}

unsigned char* SysExMessageList::append(const unsigned char* message) {
    const size_t at = bytes.size();
    bytes.insert(bytes.end(), message, message + messageLength_);
    return bytes.data() + at;
}

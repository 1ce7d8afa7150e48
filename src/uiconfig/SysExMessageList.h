#pragma once

#include <cstddef>
#include <vector>

// SysEx messages of one length, held back to back one byte each: a SysEx knob keeps a message
// per value, and an editor holds thousands of such knobs. Bytes are those between F0 and F7.
class SysExMessageList {
public:
    explicit SysExMessageList(int messageLength = 0);

    int size() const { return messageLength_ ? int(bytes.size()) / messageLength_ : 0; }
    bool empty() const { return bytes.empty(); }
    int messageLength() const { return messageLength_; }

    // Message k as ints, the form the send path sends; empty for k outside the list, so that
    // a value without a message sends nothing.
    std::vector<int> message(int k) const;
    // Appends message, which holds messageLength() bytes, and returns the stored copy for
    // changes; it stays valid until the next append.
    unsigned char* append(const unsigned char* message);
    void reserve(int count) { bytes.reserve(size_t(count) * size_t(messageLength_)); }

private:
    int messageLength_;
    std::vector<unsigned char> bytes;
};

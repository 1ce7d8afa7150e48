#pragma once

#include <vector>

// The SysEx messages of one control, message k for the value k steps above its minimum. They
// differ only in their value byte, so they are made from the template when one is asked for:
// an editor holds thousands of such controls of up to 128 values. Bytes are those between F0
// and F7.
class SysExMessageList {
public:
    SysExMessageList() = default;
    // count messages of templ, each with byte 4 set to part when part >= 0 and the template has
    // it, and the byte at valueAt (none when outside the template) running up from first, cut
    // to 7 bits. With verbatimFirst, message 0 is the template as it stands, even for a count
    // of 0, and the values run on from its own value byte in the messages after it.
    SysExMessageList(std::vector<unsigned char> templ, int valueAt, int count, long long first,
                     int part, bool verbatimFirst);

    int size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    int messageLength() const { return int(m_template.size()); }

    // Message k as ints, the form the send path sends; empty for k outside the list, so that
    // a value without a message sends nothing.
    std::vector<int> message(int k) const;

private:
    std::vector<unsigned char> m_template; // with the part byte, when there is one
    long long m_first = 0; // the value of message 0 (of message 1 with a verbatim first)
    int m_valueAt = -1;
    int m_count = 0;
    // Message 0 is the template as given, which differs from m_template at most in byte 4.
    bool m_verbatimFirst = false;
    unsigned char m_givenByte4 = 0;
};

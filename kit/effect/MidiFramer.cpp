#include "kit/effect/MidiFramer.h"

#include "kit/effect/IMidiMsg.h"

#include <algorithm>

namespace {

constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kFirstRealTime = 0xF8;
constexpr uint8_t kFirstStatus = 0x80;

bool undefined(uint8_t b) {
    return b == 0xF4 || b == 0xF5 || b == 0xF9 || b == 0xFD;
}

} // namespace

void MidiFramer::Take(const uint8_t* data, size_t size, const Message& message,
                      const Dropped& dropped) {
    for (size_t i = 0; data && i < size; ++i) {
        const uint8_t b = data[i];
        if (b >= kFirstRealTime) {
            if (undefined(b))
                dropped(Fault::kUndefined, data + i, 1);
            else
                message(data + i, 1);
            continue;
        }
        if (m_inSysEx) {
            if (b < kFirstStatus || b == kSysExEnd) {
                if (m_sysEx.size() < m_longest) m_sysEx.push_back(b);
                ++m_sysExLength;
                if (b == kSysExEnd) endSysEx(true, message, dropped);
                continue;
            }
            endSysEx(false, message, dropped);
        }
        if (b < kFirstStatus) {
            if (m_pendingSize == 0) {
                if (m_stray.size() < m_longest) m_stray.push_back(b);
                continue;
            }
            m_pending[m_pendingSize++] = b;
            if (m_pendingSize == m_pendingNeed + 1) {
                // Handed on from a copy: the receiver may reset the framer meanwhile.
                uint8_t whole[3];
                const size_t n = m_pendingSize;
                std::copy(m_pending, m_pending + n, whole);
                m_pendingSize = 0;
                message(whole, n);
            }
            continue;
        }
        dropUnfinished(dropped);
        if (b == kSysExStart) {
            m_inSysEx = true;
            m_sysEx.assign(1, b);
            m_sysExLength = 1;
        } else if (b == kSysExEnd) {
            dropped(Fault::kStray, data + i, 1);
        } else if (undefined(b)) {
            dropped(Fault::kUndefined, data + i, 1);
        } else if (const int need = IMidiMsg::DataBytes(b)) {
            m_pending[0] = b;
            m_pendingSize = 1;
            m_pendingNeed = size_t(need);
        } else {
            message(data + i, 1);
        }
    }
    dropUnfinished(dropped);
}

void MidiFramer::Reset() {
    m_inSysEx = false;
    m_sysEx.clear();
    m_sysExLength = 0;
    m_pendingSize = 0;
    m_stray.clear();
}

const char* MidiFramer::FaultText(Fault fault) {
    switch (fault) {
    case Fault::kCutShort:
        return "cut short";
    case Fault::kStray:
        return "outside any message";
    case Fault::kUnterminated:
        return "SysEx without its F7";
    case Fault::kTooLong:
        return "SysEx too long";
    case Fault::kUndefined:
        return "undefined status byte";
    }
    return "";
}

void MidiFramer::endSysEx(bool whole, const Message& message, const Dropped& dropped) {
    m_inSysEx = false;
    if (whole && m_sysExLength <= m_longest)
        message(m_sysEx.data(), m_sysEx.size());
    else
        dropped(whole ? Fault::kTooLong : Fault::kUnterminated, m_sysEx.data(), m_sysEx.size());
    m_sysEx.clear();
}

// A run of stray bytes, or a short message still short of data bytes (never both at once).
void MidiFramer::dropUnfinished(const Dropped& dropped) {
    if (!m_stray.empty()) {
        dropped(Fault::kStray, m_stray.data(), m_stray.size());
        m_stray.clear();
    }
    if (m_pendingSize == 0) return;
    const uint8_t cut[3] = {m_pending[0], m_pending[1], m_pending[2]};
    const size_t n = m_pendingSize;
    m_pendingSize = 0;
    dropped(Fault::kCutShort, cut, n);
}

#include "src/uiconfig/SysExMessageList.h"

#include <algorithm>

SysExMessageList::SysExMessageList(std::vector<unsigned char> templ, int valueAt, int count,
                                   long long first, int part, bool verbatimFirst)
    : m_template(std::move(templ)), m_first(first) {
    const int length = int(m_template.size());
    // The verbatim message is there whatever the count; messages without a byte are none.
    m_count = length > 0 ? std::max(count, verbatimFirst ? 1 : 0) : 0;
    if (valueAt >= 0 && valueAt < length) m_valueAt = valueAt;
    if (verbatimFirst && m_count > 0) {
        m_verbatimFirst = true;
        if (m_valueAt >= 0) m_first = m_template[size_t(m_valueAt)];
    }
    if (length > 4) m_givenByte4 = m_template[4];
    if (part >= 0 && length > 4) m_template[4] = static_cast<unsigned char>(part);
}

std::vector<int> SysExMessageList::message(int k) const {
    if (k < 0 || k >= m_count) return {};
    std::vector<int> out(m_template.begin(), m_template.end());
    if (k == 0 && m_verbatimFirst) {
        if (out.size() > 4) out[4] = m_givenByte4;
        return out;
    }
    const long long value = m_first + k - (m_verbatimFirst ? 1 : 0);
    if (m_valueAt >= 0) out[size_t(m_valueAt)] = int(value & 0x7F);
    return out;
}

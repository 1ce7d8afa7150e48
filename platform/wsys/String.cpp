#include "platform/wsys/String.h"

#include "platform/text/TextFont.h"

namespace platform::wsys {

namespace {

void appendUtf8(char32_t c, std::string* out) {
    if (c < 0x80) {
        out->push_back(char(c));
    } else if (c < 0x800) {
        out->push_back(char(0xC0 | c >> 6));
        out->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(char(0xE0 | c >> 12));
        out->push_back(char(0x80 | (c >> 6 & 0x3F)));
        out->push_back(char(0x80 | (c & 0x3F)));
    } else {
        out->push_back(char(0xF0 | c >> 18));
        out->push_back(char(0x80 | (c >> 12 & 0x3F)));
        out->push_back(char(0x80 | (c >> 6 & 0x3F)));
        out->push_back(char(0x80 | (c & 0x3F)));
    }
}

// The UTF-8 form; false at the first unpaired surrogate unless it is replaced.
bool encode(const std::u16string& units, bool replace, std::string* out) {
    std::string s;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            if (!replace) return false;
            c = 0xFFFD;
        }
        appendUtf8(c, &s);
    }
    *out = std::move(s);
    return true;
}

} // namespace

Ref<String> String::FromUtf8(std::string_view bytes) {
    std::u32string points;
    if (!DecodeUtf8(bytes, &points)) return nullptr;
    std::u16string units;
    for (char32_t c : points) {
        if (c < 0x10000) {
            units.push_back(char16_t(c));
        } else {
            units.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return Make<String>(std::move(units));
}

Ref<String> String::FromBytes(std::string_view bytes) {
    std::u16string units;
    for (char b : bytes)
        units.push_back(char16_t(static_cast<unsigned char>(b)));
    return Make<String>(std::move(units));
}

bool String::ToUtf8(std::string* out) const {
    return encode(m_units, false, out);
}

std::string String::ToUtf8Lossy() const {
    std::string s;
    encode(m_units, true, &s);
    return s;
}

} // namespace platform::wsys

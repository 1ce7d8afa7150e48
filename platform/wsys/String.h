#pragma once

#include "platform/wsys/Object.h"

#include <string>
#include <string_view>

namespace platform::wsys {

// A platform string: UTF-16 code units, which may hold unpaired surrogates as the platform's
// strings may.
class String : public Object {
public:
    explicit String(std::u16string units) : m_units(std::move(units)) {}
    // Null when the bytes are not well-formed UTF-8.
    static Ref<String> FromUtf8(std::string_view bytes);
    // Each byte one character (ASCII as itself, the bytes from 0x80 on as Latin-1).
    static Ref<String> FromBytes(std::string_view bytes);

    const std::u16string& Units() const { return m_units; }
    // False (out untouched) when the string holds an unpaired surrogate.
    bool ToUtf8(std::string* out) const;
    // Every unpaired surrogate becomes U+FFFD.
    std::string ToUtf8Lossy() const;

private:
    std::u16string m_units;
};

} // namespace platform::wsys

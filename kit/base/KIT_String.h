#pragma once

#include "kit/base/KIT_HeapBuf.h"

#include <cstdarg>

// Growable zero-terminated string. Get() is never null; a write that cannot get memory
// leaves the string as it was.
class KIT_String {
public:
    KIT_String(const char* s = "") : m_buf(128) { Set(s); }
    KIT_String(const KIT_String& other) : m_buf(128) { Set(other.Get()); }
    KIT_String& operator=(const KIT_String& other) {
        if (this != &other) Set(other.Get());
        return *this;
    }

    const char* Get() const;
    int GetLength() const;

    // maxlen > 0 copies at most maxlen bytes of s.
    void Set(const char* s, int maxlen = 0);
    void Append(const char* s, int maxlen = 0);
    void SetFormatted(int maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    void AppendFormatted(int maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    // Cuts the string to at most n bytes.
    void SetLen(int n);

private:
    void appendFormattedV(int maxlen, const char* fmt, va_list ap);

    KIT_HeapBuf m_buf;
};

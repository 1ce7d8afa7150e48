#include "kit/base/KIT_String.h"

#include <cstdio>
#include <cstring>

const char* KIT_String::Get() const {
    const char* p = static_cast<const char*>(m_buf.Get());
    return p ? p : "";
}

int KIT_String::GetLength() const { return int(strlen(Get())); }

void KIT_String::Set(const char* s, int maxlen) {
    if (!s) s = "";
    const int len = int(maxlen > 0 ? strnlen(s, size_t(maxlen)) : strlen(s));
    const char* own = static_cast<const char*>(m_buf.Get());
    if (own && s >= own && s <= own + GetLength()) { // a tail of ourselves
        KIT_String copy;
        copy.Set(s, len);
        Set(copy.Get());
        return;
    }
    m_buf.Resize(len + 1, false);
    if (m_buf.GetSize() != len + 1) return;
    char* d = static_cast<char*>(m_buf.Get());
    memcpy(d, s, size_t(len));
    d[len] = 0;
}

void KIT_String::Append(const char* s, int maxlen) {
    if (!s || !*s) return;
    KIT_String tail;
    tail.Set(s, maxlen); // copied first: s may point into this string
    const int old = GetLength();
    const int len = tail.GetLength();
    m_buf.Resize(old + len + 1, false);
    if (m_buf.GetSize() != old + len + 1) return;
    char* d = static_cast<char*>(m_buf.Get());
    memcpy(d + old, tail.Get(), size_t(len) + 1);
}

void KIT_String::appendFormattedV(int maxlen, const char* fmt, va_list ap) {
    if (maxlen <= 0) return;
    KIT_HeapBuf tmp(128);
    tmp.Resize(maxlen + 1);
    if (tmp.GetSize() != maxlen + 1) return;
    vsnprintf(static_cast<char*>(tmp.Get()), size_t(maxlen) + 1, fmt, ap);
    Append(static_cast<const char*>(tmp.Get()));
}

void KIT_String::SetFormatted(int maxlen, const char* fmt, ...) {
    Set("");
    va_list ap;
    va_start(ap, fmt);
    appendFormattedV(maxlen, fmt, ap);
    va_end(ap);
}

void KIT_String::AppendFormatted(int maxlen, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    appendFormattedV(maxlen, fmt, ap);
    va_end(ap);
}

void KIT_String::SetLen(int n) {
    if (n < 0) n = 0;
    if (n >= GetLength()) return;
    m_buf.Resize(n + 1, true);
    static_cast<char*>(m_buf.Get())[n] = 0;
}

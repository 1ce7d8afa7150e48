#include "kit/effect/ByteChunk.h"

#include <cstring>

int ByteChunk::PutBytes(const void* data, int n) {
    const int old = Size();
    if (n <= 0 || n > 0x7fffffff - old) return old;
    if (!m_bytes.Resize(old + n, false)) return old;
    memcpy(m_bytes.Get() + old, data, size_t(n));
    return Size();
}

int ByteChunk::PutBool(bool v) {
    const uint8_t b = v ? 1 : 0;
    return PutBytes(&b, 1);
}

int ByteChunk::PutStr(const char* s) {
    if (!s) s = "";
    const int32_t len = int32_t(strlen(s));
    const int old = Size();
    if (PutInt(len) == old) return old;
    if (len > 0 && PutBytes(s, len) == old + 4) {
        Resize(old); // never leave a length without its bytes
        return old;
    }
    return Size();
}

int ByteChunk::PutChunk(const ByteChunk* other) {
    if (!other || other->Size() == 0) return Size();
    return PutBytes(other->GetData(), other->Size());
}

int ByteChunk::GetBytes(void* out, int n, int pos) const {
    if (pos < 0 || n < 0 || n > Size() - pos) return -1;
    if (n > 0) memcpy(out, m_bytes.Get() + pos, size_t(n));
    return pos + n;
}

int ByteChunk::GetBool(bool* out, int pos) const {
    uint8_t b = 0;
    const int next = GetBytes(&b, 1, pos);
    if (next >= 0) *out = b != 0;
    return next;
}

int ByteChunk::GetStr(KIT_String* out, int pos) const {
    int32_t len = 0;
    const int start = GetInt(&len, pos);
    if (start < 0 || len < 0 || len > Size() - start) return -1;
    if (len > 0) out->Set(reinterpret_cast<const char*>(m_bytes.Get() + start), len);
    return start + len;
}

int ByteChunk::Resize(int n) {
    const int old = Size();
    if (n < 0 || !m_bytes.Resize(n, true)) return n == 0 ? 0 : old;
    if (n > old) memset(m_bytes.Get() + old, 0, size_t(n - old));
    return Size();
}

bool ByteChunk::IsEqual(const ByteChunk& other) const {
    return Size() == other.Size() && (Size() == 0 || memcmp(GetData(), other.GetData(), size_t(Size())) == 0);
}

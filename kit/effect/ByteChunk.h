#pragma once

#include "kit/base/KIT_String.h"
#include "kit/base/KIT_TypedBuf.h"

#include <cstdint>

// Growable byte buffer of every state blob and bank file. Values are stored raw in the
// machine's (little-endian) order; strings as an int32 length and the bytes. The Put
// operations return the size after the write (unchanged when memory could not be had);
// the Get operations read at a caller-held position and return the next position, or -1
// (with the target untouched) when the position is negative or the bytes do not fit.
class ByteChunk {
public:
    explicit ByteChunk(int granularity = 4096) : m_bytes(granularity) {}

    int PutBytes(const void* data, int n);
    int PutInt(int32_t v) { return PutBytes(&v, 4); }
    int PutDouble(double v) { return PutBytes(&v, 8); }
    int PutBool(bool v);
    int PutStr(const char* s);
    int PutChunk(const ByteChunk* other);

    int GetBytes(void* out, int n, int pos) const;
    int GetInt(int32_t* out, int pos) const { return GetBytes(out, 4, pos); }
    int GetDouble(double* out, int pos) const { return GetBytes(out, 8, pos); }
    int GetBool(bool* out, int pos) const;
    int GetStr(KIT_String* out, int pos) const;

    int Size() const { return m_bytes.GetSize(); }
    // Null while the chunk is empty.
    uint8_t* GetData() const { return m_bytes.Get(); }
    void Clear() { m_bytes.Resize(0, false); }
    // Growing fills the new bytes with zeros; returns the size reached.
    int Resize(int n);

    bool IsEqual(const ByteChunk& other) const;

private:
    KIT_TypedBuf<uint8_t> m_bytes;
};

#pragma once

#include <cstdint>

// A System Exclusive message stamped with a sample offset. The bytes belong to whoever built
// the record and live only as long as the call that receives it.
struct ISysEx {
    int32_t offset = 0;
    int32_t size = 0;
    const uint8_t* data = nullptr;

    ISysEx() = default;
    ISysEx(int32_t offset_, const uint8_t* data_, int32_t size_)
        : offset(offset_), size(size_), data(data_) {}

    void Clear() { *this = ISysEx(); }
    void LogMsg() const {}
};

// Hex dump for diagnostics: as many bytes as fit maxLen ("%02X" each, blank-separated, no
// trailing blank); out is "" for no data or maxLen below 3. Returns out.
char* SysExStr(char* out, int maxLen, const uint8_t* data, int size);

#pragma once

#include <cstdint>

// One byte of a multi, global or pattern dump that carries one parameter's value plus a fixed
// offset. Per-part parameters are named by their part-0 ids; a part's own id adds the part.
struct DumpByte {
    int offset;
    int param;
    int bias = 0;

    // The byte for a truncated value: biased, then its low seven bits.
    uint8_t encode(int value) const { return uint8_t((unsigned(value) + unsigned(bias)) & 0x7F); }
    // The value a received byte asks for, before the parameter's range clamps it.
    int decode(uint8_t b) const { return int(b) - bias; }
};

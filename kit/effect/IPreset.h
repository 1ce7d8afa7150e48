#pragma once

#include "kit/effect/ByteChunk.h"

#include <cstring>

// One preset: a name and, once initialised, the plug-in's state bytes.
struct IPreset {
    static constexpr int kNameLen = 256; // with the terminator

    bool initialized = false;
    char name[kNameLen] = "empty";
    ByteChunk chunk;

    // Cut to 255 characters; null gives "".
    void SetName(const char* n) {
        const size_t len = n ? strnlen(n, kNameLen - 1) : 0;
        if (len) memmove(name, n, len);
        name[len] = 0;
    }
};

#pragma once

#include "kit/base/KIT_AssocArray.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

// Sorted map from zero-terminated strings: keys are copied on insertion and freed with their
// pair; keys compare byte for byte, or without regard to ASCII case.
template <class V> class KIT_StringKeyedArray : public KIT_AssocArray<const char*, V> {
    using Base = KIT_AssocArray<const char*, V>;

public:
    explicit KIT_StringKeyedArray(bool caseSensitive = true,
                                  typename Base::DisposeValueFn dispose = nullptr)
        : Base(caseSensitive ? compareCase : compareNoCase, copyKey, freeKey, dispose) {}

private:
    static int compareCase(const char* a, const char* b) { return strcmp(a, b); }
    static int compareNoCase(const char* a, const char* b) { return strcasecmp(a, b); }
    static const char* copyKey(const char* k) { return strdup(k); }
    static void freeKey(const char* k) { free(const_cast<char*>(k)); }
};

#include "kit/effect/ISysEx.h"

char* SysExStr(char* out, int maxLen, const uint8_t* data, int size) {
    if (maxLen < 1) return out;
    out[0] = 0;
    if (!data || size <= 0 || maxLen < 3) return out;
    const int n = maxLen / 3 < size ? maxLen / 3 : size;
    static const char hex[] = "0123456789ABCDEF";
    for (int i = 0; i < n; ++i) {
        out[3 * i] = hex[data[i] >> 4];
        out[3 * i + 1] = hex[data[i] & 15];
        out[3 * i + 2] = ' ';
    }
    out[3 * n - 1] = 0;
    return out;
}

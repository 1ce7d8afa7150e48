#pragma once

#include <climits>
#include <cmath>
#include <cstdint>

// Coordinate conversions of the shape drawers: nothing here overflows or converts a value that
// does not fit.

inline int RAST_SaturateInt(int64_t v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
}

// v truncated toward zero, held within the int range; NaN gives 0.
inline int RAST_TruncToInt(double v) {
    if (!(v == v)) return 0;
    return v >= double(INT_MAX) ? INT_MAX : v <= double(INT_MIN) ? INT_MIN : int(v);
}

template <class... T> inline bool RAST_AllFinite(T... v) {
    return (std::isfinite(double(v)) && ...);
}

// Row y of a bitmap of height h counted from the other end.
inline int RAST_MirrorRow(int h, int y) {
    return RAST_SaturateInt(int64_t(h) - 1 - y);
}

#pragma once

#include "kit/base/KIT_String.h"

// Small text and time helpers of the framework's diagnostics.

// Writes in lower-cased into out, which holds strlen(in) + 1 bytes.
void ToLower(char* out, const char* in);
// Tab, line feed, carriage return and blank only.
bool IsWhitespace(char c);

// "%Y%m%d %H:%M " of local time and the offset from UTC as a sign and four digits (hhmm).
// The text lives in a buffer of the calling thread, valid until its next call.
const char* CurrentTime();

// Build stamp "[Mon d hh:mm]" from a compiler-style date ("Dec  6 2026") and time ("14:05:33").
void CompileTimestamp(const char* date, const char* time, KIT_String* out);
// text, a blank and the build stamp; the calling thread's buffer, overwritten by its next call.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// The framework's trace output is switched off: these do nothing or name nothing.
inline void Trace(...) {}
inline const char* VSTOpcodeStr(int) {
    return "";
}
inline const char* AUSelectStr(int) {
    return "";
}
inline const char* AUPropertyStr(int) {
    return "";
}
inline const char* AUScopeStr(int) {
    return "";
}

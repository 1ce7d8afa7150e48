#include "kit/effect/Diagnostics.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

void ToLower(char* out, const char* in) {
    while (*in)
        *out++ = char(tolower(static_cast<unsigned char>(*in++)));
    *out = 0;
}

bool IsWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

const char* CurrentTime() {
    thread_local char buf[64];
    const time_t now = time(nullptr);
    struct tm local {};
    struct tm utc {};
    localtime_r(&now, &local);
    gmtime_r(&now, &utc);
    int minutes = (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
    const int days = local.tm_yday - utc.tm_yday;
    if (days == -1 || days == 1)
        minutes += 1440 * days;
    else if (days < -1) // local time is already in the next year
        minutes += 1440;
    else if (days > 1) // still in the previous year
        minutes -= 1440;
    const size_t n = strftime(buf, sizeof(buf), "%Y%m%d %H:%M ", &local);
    const int m = abs(minutes);
    snprintf(buf + n, sizeof(buf) - n, "%c%02d%02d", minutes < 0 ? '-' : '+', m / 60, m % 60);
    return buf;
}

void CompileTimestamp(const char* date, const char* time, KIT_String* out) {
    out->Set("[");
    out->Append(date);
    out->SetLen(7);
    KIT_String stamp;
    stamp.Set(out->Get(), 4);                               // the bracket and the month
    if (out->GetLength() > 5) stamp.Append(out->Get() + 5); // the day, without the blank before it
    stamp.Append(" ");
    stamp.Append(time);
    stamp.SetLen(12);
    stamp.Append("]");
    *out = stamp;
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
    thread_local KIT_String buf;
    KIT_String stamp;
    CompileTimestamp(date, time, &stamp);
    buf.Set(text);
    buf.Append(" ");
    buf.Append(stamp.Get());
    return buf.Get();
}

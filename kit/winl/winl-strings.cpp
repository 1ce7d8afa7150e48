#include "kit/winl/winl-misc.h"

#include <cstring>

namespace wsys = platform::wsys;

wsys::String* WINL_CStringToCFString(const char* s) {
    const std::string_view bytes = s ? s : "";
    wsys::Ref<wsys::String> str = wsys::String::FromUtf8(bytes);
    if (!str) str = wsys::String::FromBytes(bytes);
    return str.Detach();
}

void WINL_CFStringToCString(const wsys::String* str, char* buf, int len) {
    if (!buf || len < 1) return;
    buf[0] = 0;
    if (!str || len == 1) return;
    std::string bytes;
    if (!str->ToUtf8(&bytes) || bytes.size() + 1 > size_t(len)) {
        // Cut to the buffer, possibly inside a character.
        bytes = str->ToUtf8Lossy();
        bytes.resize(std::min(bytes.size(), size_t(len) - 1));
    }
    memcpy(buf, bytes.c_str(), bytes.size() + 1);
}

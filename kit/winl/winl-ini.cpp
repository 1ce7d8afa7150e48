#include "kit/winl/winl-ini.h"

#include "kit/base/KIT_Mutex.h"
#include "kit/base/KIT_String.h"
#include "kit/base/KIT_StringKeyedArray.h"
#include "kit/base/KIT_TypedBuf.h"
#include "kit/winl/winl.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Section = KIT_StringKeyedArray<char*>;
using FileMap = KIT_StringKeyedArray<Section*>;

constexpr int kContexts = 32;
constexpr int kLineStep = 8192;
constexpr int kMaxLine = 0x2000000;
// A file with no section yet after this many bytes is not an INI file worth reading on.
constexpr int64_t kMaxBytesBeforeSection = 0x40000;

void freeValue(char* v) {
    free(v);
}
void deleteSection(Section* s) {
    delete s;
}
Section* newSection() {
    return new Section(false, freeValue);
}

// What a file looked like on disk; both 0 when it could not be seen.
struct FileStamp {
    int64_t mtimeNs = 0;
    int64_t size = 0;
    bool operator==(const FileStamp& o) const { return mtimeNs == o.mtimeNs && size == o.size; }
};

FileStamp stampOf(const struct stat& st) {
    return FileStamp{int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     int64_t(st.st_size)};
}

FileStamp stampOf(const char* name) {
    struct stat st;
    return stat(name, &st) == 0 ? stampOf(st) : FileStamp{};
}

struct iniFileContext {
    uint64_t lastAccess = 0;
    FileStamp stamp;
    KIT_String name; // empty while the context is free
    FileMap sections{false, deleteSection};
    // False when the cache holds less than the file: a load cut short, or a file that exists
    // but could not be read. Writing it back would lose the rest.
    bool writable = true;
    // The cache was dropped after a failed write: read the file again at the next access.
    bool stale = false;
};

KIT_Mutex m_mutex;
iniFileContext s_ctxs[kContexts];

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads one line (ending at LF, CR or the end of the file) into buf, zero-terminated. Returns
// its length, -1 at the end of the file, -2 when it is too long or memory runs out.
int readLine(FILE* f, KIT_TypedBuf<char>& buf) {
    int len = 0;
    int c;
    for (;;) {
        c = getc_unlocked(f);
        if (c == EOF || c == '\n' || c == '\r') break;
        if (len >= kMaxLine) return -2;
        if (len + 1 >= buf.GetSize() && !buf.Resize(buf.GetSize() + kLineStep, false)) return -2;
        buf.Get()[len++] = char(c);
    }
    if (c == EOF && len == 0) return -1;
    buf.Get()[len] = 0;
    return len;
}

// Applies one line to the map; false when memory ran out.
bool parseLine(char* line, int len, FileMap& sections, Section*& current) {
    while (len > 0 && (isBlank(line[len - 1]) || line[len - 1] == '\r' || line[len - 1] == '\n'))
        --len;
    line[len] = 0;
    while (isBlank(*line))
        ++line;

    if (*line == '[') {
        char* close = strchr(line, ']');
        if (!close) return true;
        if (current) current->Resort();
        *close = 0;
        const char* name = line + 1;
        current = nullptr;
        if (!*name) return true;
        if (Section* known = sections.Get(name)) {
            known->DeleteAll();
            current = known;
            return true;
        }
        Section* s = newSection();
        if (!sections.Insert(name, s)) return false;
        current = s;
        return true;
    }

    char* eq = strchr(line, '=');
    if (!current || !eq || eq == line) return true;
    *eq = 0;
    char* value = strdup(eq + 1);
    return value && current->AddUnsorted(line, value);
}

void load(iniFileContext& ctx, KIT_TypedBuf<char>& buf) {
    const char* name = ctx.name.Get();
    FILE* f = fopen(name, "r");
    if (!f) {
        ctx.stamp = FileStamp{};
        ctx.writable = stampOf(name) == FileStamp{}; // not there at all: it may be made
        return;
    }
    const int fd = fileno(f);
    flock(fd, LOCK_SH);
    if (buf.GetSize() < kLineStep) buf.Resize(kLineStep, false);

    Section* current = nullptr;
    int64_t bytesBeforeSection = 0;
    bool whole = buf.GetSize() >= kLineStep;
    while (whole) {
        const int len = readLine(f, buf);
        if (len == -1) break;
        if (len < 0) {
            whole = false;
            break;
        }
        if (ctx.sections.GetSize() == 0) {
            bytesBeforeSection += len;
            if (bytesBeforeSection > kMaxBytesBeforeSection) {
                whole = false;
                break;
            }
        }
        whole = parseLine(buf.Get(), len, ctx.sections, current);
    }
    if (ferror(f)) whole = false;

    struct stat st;
    ctx.stamp = fstat(fd, &st) == 0 ? stampOf(st) : FileStamp{};
    ctx.writable = whole;
    flock(fd, LOCK_UN);
    fclose(f);
    if (current) current->Resort();
}

// The context of the named file, loaded or re-read when it changed on disk; null for no name.
iniFileContext* GetFileContext(const char* file) {
    static uint64_t acc_cnt = 0;
    static KIT_TypedBuf<char> _buf(kLineStep);
    if (!file || !*file) return nullptr;

    iniFileContext* ctx = nullptr;
    bool matched = false;
    for (iniFileContext& c : s_ctxs) {
        if (!c.name.GetLength()) {
            ctx = &c;
            break;
        }
        // Names compare byte for byte: two names that differ only in case are two files here.
        if (strcmp(c.name.Get(), file) == 0) {
            ctx = &c;
            matched = true;
            break;
        }
        if (!ctx || c.lastAccess < ctx->lastAccess) ctx = &c;
    }
    ctx->lastAccess = ++acc_cnt;
    if (matched && !ctx->stale && stampOf(file) == ctx->stamp) return ctx;

    ctx->sections.DeleteAll();
    ctx->name.Set(file);
    ctx->stale = false;
    load(*ctx, _buf);
    return ctx;
}

int dropCache(iniFileContext& ctx) {
    ctx.sections.DeleteAll();
    ctx.stale = true;
    return 0;
}

bool writeSections(FILE* f, const FileMap& sections) {
    for (int i = 0; i < sections.GetSize(); ++i) {
        const char* secName = nullptr;
        Section* s = *sections.EnumeratePtr(i, &secName);
        if (fprintf(f, "[%s]\n", secName) < 0) return false;
        for (int k = 0; k < s->GetSize(); ++k) {
            const char* key = nullptr;
            const char* value = *s->EnumeratePtr(k, &key);
            if (*key && fprintf(f, "%s=%s\n", key, value) < 0) return false;
        }
        if (fputc('\n', f) == EOF) return false;
    }
    return true;
}

// Writes the cache to ".<name>.new" beside the file and renames it over the file, so the old
// file stays whole until the new one is complete. Returns 1, or 0 (cache dropped) on failure.
int writeBack(iniFileContext& ctx) {
    const char* name = ctx.name.Get();
    const char* slash = strrchr(name, '/');
    const int dirLen = slash ? int(slash - name) + 1 : 0;
    KIT_String tmp;
    if (dirLen) tmp.Set(name, dirLen);
    tmp.Append(".");
    tmp.Append(name + dirLen);
    tmp.Append(".new");
    if (tmp.GetLength() != ctx.name.GetLength() + 5) return dropCache(ctx);

    FILE* f = fopen(tmp.Get(), "w");
    if (!f) return dropCache(ctx);
    const int fd = fileno(f);
    struct stat st;
    if (stat(name, &st) == 0) fchmod(fd, st.st_mode & 07777);
    flock(fd, LOCK_EX);
    bool ok = writeSections(f, ctx.sections) && fflush(f) == 0 && fsync(fd) == 0;
    flock(fd, LOCK_UN);
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(tmp.Get(), name) != 0) {
        unlink(tmp.Get());
        return dropCache(ctx);
    }
    ctx.stamp = stampOf(name);
    return 1;
}

// The stored value of a key, or null.
const char* findValue(iniFileContext* ctx, const char* section, const char* key) {
    Section* s = ctx ? ctx->sections.Get(section) : nullptr;
    return s ? s->Get(key) : nullptr;
}

// A value as callers see it: blanks cut on both sides, then one pair of enclosing quotes.
int valueSpan(const char* v, const char** start) {
    while (isBlank(*v))
        ++v;
    int n = int(strlen(v));
    while (n > 0 && isBlank(v[n - 1]))
        --n;
    if (n >= 2 && (v[0] == '"' || v[0] == '\'') && v[n - 1] == v[0]) {
        ++v;
        n -= 2;
    }
    *start = v;
    return n;
}

void appendBytes(KIT_TypedBuf<char>& list, const char* s, int n) {
    list.Add(s, n);
}

// Appends every non-empty key of map, each with its zero byte.
template <class Map> void appendNames(KIT_TypedBuf<char>& list, const Map& map) {
    for (int i = 0; i < map.GetSize(); ++i) {
        const char* name = nullptr;
        map.EnumeratePtr(i, &name);
        if (*name) appendBytes(list, name, int(strlen(name)) + 1);
    }
}

// Copies a list of zero-terminated strings and its closing zero byte; a list that does not fit
// is cut and closed with two zero bytes. Returns wholeResult when it fitted, else the bytes
// kept before the closing zeros.
int copyList(const KIT_TypedBuf<char>& list, int wholeResult, char* buf, int size) {
    if (!buf || size < 1) return 0;
    if (size < 2) {
        buf[0] = 0;
        return 0;
    }
    const int len = list.GetSize();
    if (len + 1 <= size) {
        if (len) memcpy(buf, list.Get(), size_t(len));
        buf[len] = 0;
        if (len == 0) buf[1] = 0;
        return wholeResult;
    }
    memcpy(buf, list.Get(), size_t(size - 2));
    buf[size - 2] = buf[size - 1] = 0;
    return size - 2;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int hexByte(const char* p) {
    const int hi = hexDigit(p[0]), lo = hexDigit(p[1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

} // namespace

int GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf,
                            int size, const char* file) {
    KIT_MutexLock lock(&m_mutex);
    iniFileContext* ctx = GetFileContext(file);
    if (!section || !key) {
        KIT_TypedBuf<char> list(4096);
        if (ctx && !section)
            appendNames(list, ctx->sections);
        else if (Section* s = ctx ? ctx->sections.Get(section) : nullptr)
            appendNames(list, *s);
        return copyList(list, list.GetSize() > 0 ? list.GetSize() - 1 : 0, buf, size);
    }
    if (!buf || size < 1) return 0;
    const char* value = findValue(ctx, section, key);
    if (!value) {
        lstrcpyn(buf, def ? def : "", size);
        return int(strlen(buf));
    }
    const char* start;
    int n = valueSpan(value, &start);
    if (n > size - 1) n = size - 1;
    memcpy(buf, start, size_t(n));
    buf[n] = 0;
    return n;
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file) {
    if (!section || !key) return def;
    char text[512];
    GetPrivateProfileString(section, key, "", text, sizeof text, file);
    if (!text[0]) return def;
    const int v = atoi(text);
    return v == 0 && text[0] != '0' ? def : v;
}

int GetPrivateProfileSection(const char* section, char* buf, int size, const char* file) {
    KIT_MutexLock lock(&m_mutex);
    iniFileContext* ctx = GetFileContext(file);
    Section* s = ctx && section ? ctx->sections.Get(section) : nullptr;
    KIT_TypedBuf<char> list(4096);
    for (int i = 0; s && i < s->GetSize(); ++i) {
        const char* key = nullptr;
        const char* value = *s->EnumeratePtr(i, &key);
        const char* start;
        const int n = valueSpan(value, &start);
        appendBytes(list, key, int(strlen(key)));
        appendBytes(list, "=", 1);
        appendBytes(list, start, n);
        appendBytes(list, "", 1);
    }
    return copyList(list, list.GetSize(), buf, size);
}

int GetPrivateProfileStruct(const char* section, const char* key, void* buf, int size,
                            const char* file) {
    if (!section || !key || !buf || size < 1 || size > (INT_MAX - 17) / 2) return 0;
    KIT_TypedBuf<char> text(4096);
    if (!text.Resize(2 * size + 17)) return 0;
    const int len = GetPrivateProfileString(section, key, "", text.Get(), 2 * size + 17, file);
    if (len != 2 * size + 2) return 0;
    auto* out = static_cast<unsigned char*>(buf);
    unsigned int sum = 0;
    for (int i = 0; i < size; ++i) {
        const int b = hexByte(text.Get() + 2 * i);
        if (b < 0) return 0;
        out[i] = static_cast<unsigned char>(b);
        sum += unsigned(b);
    }
    const int check = hexByte(text.Get() + 2 * size);
    return check >= 0 && unsigned(check) == (sum & 0xFF) ? 1 : 0;
}

int WritePrivateProfileString(const char* section, const char* key, const char* value,
                              const char* file) {
    if (!section || (key && !*key)) return 0;
    KIT_MutexLock lock(&m_mutex);
    iniFileContext* ctx = GetFileContext(file);
    if (!ctx || !ctx->writable) return 0;
    if (!key) return ctx->sections.Delete(section) ? writeBack(*ctx) : 1;

    Section* s = ctx->sections.Get(section);
    if (!value) return s && s->Delete(key) ? writeBack(*ctx) : 1;

    const char* old = s ? s->Get(key) : nullptr;
    if (old && strcmp(old, value) == 0) return 1;
    if (!s) {
        s = newSection();
        if (!ctx->sections.Insert(section, s)) return dropCache(*ctx);
    }
    char* copy = strdup(value);
    if (!copy || !s->Insert(key, copy)) return dropCache(*ctx);
    return writeBack(*ctx);
}

int WritePrivateProfileStruct(const char* section, const char* key, const void* data, int size,
                              const char* file) {
    if (!key || !data)
        return WritePrivateProfileString(section, key, static_cast<const char*>(data), file);
    if (size < 0 || size > (INT_MAX - 3) / 2) return 0;
    KIT_TypedBuf<char> hex(4096);
    if (!hex.Resize(2 * size + 3)) return 0;
    static const char digits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned int sum = 0;
    char* p = hex.Get();
    for (int i = 0; i <= size; ++i) {
        const unsigned int b = i < size ? bytes[i] : (sum & 0xFF);
        sum += b;
        *p++ = digits[b >> 4];
        *p++ = digits[b & 15];
    }
    *p = 0;
    return WritePrivateProfileString(section, key, hex.Get(), file);
}

int WritePrivateProfileSection(const char* section, const char* data, const char* file) {
    if (!section || !file) return 0;
    KIT_MutexLock lock(&m_mutex);
    iniFileContext* ctx = GetFileContext(file);
    if (!ctx || !ctx->writable) return 0;
    Section* s = ctx->sections.Get(section);
    if (!s && (!data || !*data)) return 1;
    if (s) {
        s->DeleteAll();
    } else {
        s = newSection();
        if (!ctx->sections.Insert(section, s)) return dropCache(*ctx);
    }
    KIT_String key;
    for (const char* p = data; p && *p; p += strlen(p) + 1) {
        const char* eq = static_cast<const char*>(memchr(p, '=', strnlen(p, 8191)));
        if (!eq) continue;
        key.Set("");
        if (eq > p) key.Set(p, int(eq - p));
        char* value = strdup(eq + 1);
        if (!value || !s->Insert(key.Get(), value)) return dropCache(*ctx);
    }
    return writeBack(*ctx);
}

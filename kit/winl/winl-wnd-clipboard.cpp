#include "kit/winl/winl-clipboard.h"

#include "platform/wsys/Pasteboard.h"

#include <cstring>
#include <string>
#include <vector>

namespace wsys = platform::wsys;

namespace {

constexpr const char* kTextFormatName = "WINL__CF_TEXT";
constexpr const char* kPrivatePasteboard = "WINL_APP";

struct PendingClip {
    unsigned int fmt;
    HGLOBAL handle; // owned
};

// The process-wide lists; the blocks they hold are freed when the program unloads.
struct ClipboardState {
    std::vector<std::string> formats; // pasteboard type of id i + 1
    std::vector<unsigned int> current;
    std::vector<PendingClip> pending;
    std::vector<HGLOBAL> handedOut;
    ~ClipboardState() {
        dropPending();
        freeHandedOut();
    }
    void dropPending() {
        for (const PendingClip& p : pending)
            GlobalFree(p.handle);
        pending.clear();
    }
    void freeHandedOut() {
        while (!handedOut.empty()) {
            GlobalFree(handedOut.back());
            handedOut.pop_back();
        }
    }
    const std::string* typeOf(unsigned int fmt) const {
        return fmt >= 1 && fmt <= formats.size() ? &formats[fmt - 1] : nullptr;
    }
} g_clip;

unsigned int textFormat() {
    return RegisterClipboardFormat(kTextFormatName);
}

wsys::Pasteboard* privatePasteboard() {
    return wsys::Pasteboard::WithName(kPrivatePasteboard);
}

HGLOBAL newBlock(const void* bytes, size_t n) {
    if (n > size_t(INT32_MAX)) return nullptr;
    HGLOBAL h = GlobalAlloc(0, int(n));
    if (h && n) memcpy(GlobalLock(h), bytes, n), GlobalUnlock(h);
    return h;
}

} // namespace

unsigned int RegisterClipboardFormat(const char* name) {
    const std::string type = name && strcmp(name, kTextFormatName) == 0 ? wsys::kStringPboardType
                                                                        : std::string(name ? name : "");
    for (size_t i = 0; i < g_clip.formats.size(); ++i)
        if (g_clip.formats[i] == type) return unsigned(i + 1);
    g_clip.formats.push_back(type);
    return unsigned(g_clip.formats.size());
}

bool OpenClipboard(HWND) {
    g_clip.dropPending();
    textFormat();
    g_clip.current.clear();
    for (const std::string& type : privatePasteboard()->Types()) {
        for (size_t i = 0; i < g_clip.formats.size(); ++i) {
            if (g_clip.formats[i] != type) continue;
            const unsigned id = unsigned(i + 1);
            if (std::find(g_clip.current.begin(), g_clip.current.end(), id) == g_clip.current.end())
                g_clip.current.push_back(id);
            break;
        }
    }
    return true;
}

unsigned int EnumClipboardFormats(unsigned int fmt) {
    const std::vector<unsigned>& ids = g_clip.current;
    if (fmt == 0) return ids.empty() ? 0 : ids.front();
    for (size_t i = 0; i + 1 < ids.size(); ++i)
        if (ids[i] == fmt) return ids[i + 1];
    return 0;
}

HGLOBAL GetClipboardData(unsigned int fmt) {
    const std::string* type = g_clip.typeOf(fmt);
    if (!type) return nullptr;
    HGLOBAL h = nullptr;
    if (fmt == textFormat()) {
        wsys::Pasteboard* board = wsys::Pasteboard::General();
        board->Types();
        const std::optional<std::string> text = board->StringForType(*type);
        if (!text) return nullptr;
        // A C string: the text ends at its first zero character.
        const size_t n = strnlen(text->c_str(), text->size());
        std::string terminated = text->substr(0, n);
        h = newBlock(terminated.c_str(), n + 1);
    } else {
        const std::optional<std::vector<uint8_t>> data = privatePasteboard()->DataForType(*type);
        if (!data) return nullptr;
        h = newBlock(data->data(), data->size());
    }
    if (h) g_clip.handedOut.push_back(h);
    return h;
}

bool EmptyClipboard() {
    g_clip.dropPending();
    return true;
}

HGLOBAL SetClipboardData(unsigned int fmt, HGLOBAL handle) {
    g_clip.pending.push_back(PendingClip{fmt, handle});
    return handle;
}

bool CloseClipboard() {
    g_clip.freeHandedOut();
    if (g_clip.pending.empty()) return true;
    const unsigned text = textFormat();
    bool hasText = false;
    std::vector<std::string> types;
    for (const PendingClip& p : g_clip.pending) {
        hasText |= p.fmt == text;
        if (const std::string* type = g_clip.typeOf(p.fmt)) types.push_back(*type);
    }
    wsys::Pasteboard* board = hasText ? wsys::Pasteboard::General() : privatePasteboard();
    if (!types.empty()) {
        board->DeclareTypes(types, nullptr);
        for (const PendingClip& p : g_clip.pending) {
            const std::string* type = g_clip.typeOf(p.fmt);
            const auto* bytes = static_cast<const uint8_t*>(GlobalLock(p.handle));
            if (!type || !bytes) continue;
            const size_t n = size_t(GlobalSize(p.handle));
            if (p.fmt == text)
                board->SetString(std::string(reinterpret_cast<const char*>(bytes), strnlen(reinterpret_cast<const char*>(bytes), n)), *type);
            else
                board->SetData(std::vector<uint8_t>(bytes, bytes + n), *type);
            GlobalUnlock(p.handle);
        }
    }
    g_clip.dropPending();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Dropped-file blocks: four 32-bit words (list offset, x, y, non-client flag), then the names.

namespace {

constexpr int kDropHeader = 16;

int32_t word(const char* block, int at) {
    int32_t v;
    memcpy(&v, block + at, 4);
    return v;
}

// Walks the names of a locked block, never past its size.
class DropNames {
public:
    explicit DropNames(HDROP drop)
        : m_drop(drop), m_block(static_cast<const char*>(GlobalLock(drop))), m_size(GlobalSize(drop)) {
        const uint32_t offset = m_size >= 4 ? uint32_t(word(m_block, 0)) : uint32_t(m_size);
        m_at = offset < uint32_t(m_size) ? int(offset) : m_size;
    }
    ~DropNames() { GlobalUnlock(m_drop); }
    // The next name and its length; false at the end of the list (an empty name, or one
    // without its terminator inside the block).
    bool Next(const char** name, size_t* length) {
        if (m_at >= m_size) return false;
        const void* end = memchr(m_block + m_at, 0, size_t(m_size - m_at));
        if (!end || end == m_block + m_at) return false;
        *name = m_block + m_at;
        *length = size_t(static_cast<const char*>(end) - *name);
        m_at += int(*length) + 1;
        return true;
    }

private:
    HDROP m_drop;
    const char* m_block;
    int m_size;
    int m_at = 0;
};

} // namespace

unsigned int DragQueryFile(HDROP drop, unsigned int index, char* buf, int size) {
    if (!drop) return 0;
    DropNames names(drop);
    const char* name = nullptr;
    size_t length = 0;
    if (index == 0xFFFFFFFF) {
        unsigned count = 0;
        while (names.Next(&name, &length))
            ++count;
        return count;
    }
    for (unsigned i = 0; i <= index; ++i)
        if (!names.Next(&name, &length)) return 0;
    if (!buf || size <= 0) return unsigned(length);
    const size_t n = std::min(length, size_t(size) - 1);
    memcpy(buf, name, n);
    buf[n] = 0;
    return unsigned(n);
}

bool DragQueryPoint(HDROP drop, POINT* pt) {
    if (!drop || GlobalSize(drop) < kDropHeader) return false;
    const auto* block = static_cast<const char*>(GlobalLock(drop));
    if (pt) *pt = POINT{word(block, 4), word(block, 8)};
    const bool client = word(block, 12) == 0;
    GlobalUnlock(drop);
    return client;
}

void DragFinish(HDROP) {}

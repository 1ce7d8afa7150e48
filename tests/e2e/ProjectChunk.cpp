#include "tests/e2e/ProjectChunk.h"

#include <cstring>

namespace {

constexpr size_t kFrameworkHeader = 8;
constexpr int kNames = 51;

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& b) : bytes(b) {}
    bool Skip(size_t n) {
        if (n > bytes.size() - at) return false;
        at += n;
        return true;
    }
    bool Int(uint32_t* v, bool bigEndian) {
        if (at + 4 > bytes.size()) return false;
        const uint8_t* p = &bytes[at];
        *v = bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                       : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        at += 4;
        return true;
    }
    bool Double(double* v) {
        if (at + 8 > bytes.size()) return false;
        memcpy(v, &bytes[at], 8); // little-endian, as the machines that run the tests
        at += 8;
        return true;
    }
    bool Text(std::string* s, size_t n) {
        if (n > bytes.size() - at) return false;
        s->assign(reinterpret_cast<const char*>(&bytes[at]), n);
        at += n;
        return true;
    }

    bool AtEnd() const { return at == bytes.size(); }

private:
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
};

} // namespace

bool ProjectChunk::Read(const std::vector<uint8_t>& chunk) {
    Reader r(chunk);
    uint32_t snapshot = 0, length = 0;
    // Header, version word, part, model; the block's two version words and its snapshot.
    if (!r.Skip(kFrameworkHeader + 4 + 8 + 8 + 8) || !r.Int(&snapshot, true) || !r.Skip(snapshot))
        return false;
    m_names.assign(kNames, "");
    for (std::string& name : m_names)
        if (!r.Int(&length, false) || !r.Text(&name, length)) return false;
    m_values.assign(kStoredParams, 0.0);
    if (!r.Skip(4 * 8)) return false;
    for (double& v : m_values)
        if (!r.Double(&v)) return false;
    return r.AtEnd();
}

#include "tests/support/BankFileGenerator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>

namespace testsupport {

namespace {
struct SoundLayout {
    uint8_t modelByte;
    int size;
    int nameAt;
    int categoryAt;
};
const SoundLayout kLayouts[] = {
    {0x0F, 393, 371, 387}, {0x10, 392, 370, 386}, {0x13, 392, 370, 386}};

Dump dumpOf(int size, uint8_t modelByte, uint8_t messageId, uint32_t seed, uint8_t deviceId,
            uint8_t location) {
    Dump d(size_t(size), 0);
    d[0] = 0xF0;
    d[1] = 0x3E;
    d[2] = modelByte;
    d[3] = deviceId;
    d[4] = messageId;
    d[5] = location;
    uint32_t s = seed * 2654435761u + 1;
    for (int i = 6; i < size - 2; ++i) {
        s = s * 1103515245u + 12345u;
        d[size_t(i)] = uint8_t((s >> 16) & 0x7F);
    }
    d[size_t(size - 1)] = 0xF7;
    return d;
}

void putText(Dump* d, int at, const std::string& text, size_t width) {
    std::string t = text;
    t.resize(width, ' ');
    for (size_t i = 0; i < width; ++i)
        (*d)[size_t(at) + i] = uint8_t(t[i]);
}

std::string numbered(const std::string& prefix, int n) {
    return prefix + " " + std::to_string(n);
}

void putVariableLength(std::vector<uint8_t>* out, uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = uint8_t(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n > 1)
        out->push_back(uint8_t(0x80 | groups[--n]));
    out->push_back(groups[0]);
}

void putBig32(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(uint8_t(v >> shift));
}

void putChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& body) {
    out->insert(out->end(), type, type + 4);
    putBig32(out, uint32_t(body.size()));
    out->insert(out->end(), body.begin(), body.end());
}

std::vector<uint8_t> sysexTrack(std::vector<Dump>::const_iterator from,
                                std::vector<Dump>::const_iterator to, const MidiFileStyle& style) {
    std::vector<uint8_t> t;
    bool first = true;
    for (auto it = from; it != to; ++it) {
        if (style.noise) {
            // Text ">" 0F 00 10 00: a manufacturer byte and a sound header inside a meta event.
            t.insert(t.end(), {0x00, 0xFF, 0x01, 0x06, '>', 0x0F, 0x00, 0x10, 0x00, 'x'});
            t.insert(t.end(), {0x00, 0x90, 0x3C, 0x64, 0x10, 0x3C, 0x00, 0x00, 0x3E, 0x40});
        }
        putVariableLength(&t, first ? 0 : style.delta);
        first = false;
        t.push_back(0xF0);
        putVariableLength(&t, uint32_t(it->size() - 1));
        t.insert(t.end(), it->begin() + 1, it->end());
    }
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    return t;
}
} // namespace

void setChecksum(Dump* dump) {
    const size_t n = dump->size();
    unsigned sum = 0;
    for (size_t i = 4; i + 3 <= n; ++i)
        sum += (*dump)[i];
    (*dump)[n - 2] = uint8_t(sum & 0x7F);
}

bool hasValidChecksum(Dump dump) {
    const Dump given = dump;
    setChecksum(&dump);
    return dump == given;
}

Dump soundDump(DumpModel model, const std::string& name, const std::string& category, uint32_t seed,
               uint8_t deviceId, uint8_t location) {
    const SoundLayout& l = kLayouts[int(model)];
    Dump d = dumpOf(l.size, l.modelByte, 0x10, seed, deviceId, location);
    putText(&d, l.nameAt, name, 16);
    if (model == DumpModel::Blofeld) {
        d[size_t(l.categoryAt)] = uint8_t(std::stoi(category));
        for (int i = 1; i < 4; ++i)
            d[size_t(l.categoryAt + i)] = 0;
    } else {
        putText(&d, l.categoryAt, category, 4);
    }
    setChecksum(&d);
    return d;
}

Dump multiDump(const std::string& name, uint32_t seed) {
    Dump d = dumpOf(393, 0x0F, 0x11, seed, 0, 0);
    putText(&d, 23, name, 16);
    setChecksum(&d);
    return d;
}

Dump patternDump(const std::string& name, uint32_t seed) {
    Dump d = dumpOf(545, 0x0F, 0x13, seed, 0, 0);
    putText(&d, 15, name, 16);
    setChecksum(&d);
    return d;
}

std::vector<Dump> soundDumps(int count, const std::string& prefix, const std::string& category,
                             DumpModel model) {
    std::vector<Dump> dumps;
    for (int n = 1; n <= count; ++n)
        dumps.push_back(soundDump(model, numbered(prefix, n), category, uint32_t(n)));
    return dumps;
}

std::vector<Dump> multiDumps(int count, const std::string& prefix) {
    std::vector<Dump> dumps;
    for (int n = 1; n <= count; ++n)
        dumps.push_back(multiDump(numbered(prefix, n), uint32_t(n)));
    return dumps;
}

std::vector<Dump> patternDumps(int count, const std::string& prefix) {
    std::vector<Dump> dumps;
    for (int n = 1; n <= count; ++n)
        dumps.push_back(patternDump(numbered(prefix, n), uint32_t(n)));
    return dumps;
}

std::vector<uint8_t> rawBankFile(const std::vector<Dump>& dumps) {
    std::vector<uint8_t> out;
    for (const Dump& d : dumps)
        out.insert(out.end(), d.begin(), d.end());
    return out;
}

std::vector<uint8_t> midiBankFile(const std::vector<Dump>& dumps, const MidiFileStyle& style) {
    const uint16_t tracks = style.twoSysexTracks ? 3 : 2;
    std::vector<uint8_t> out;
    putChunk(&out, "MThd", {0x00, 0x01, 0x00, uint8_t(tracks), 0x00, 0x60});
    putChunk(&out, "MTrk", {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    const auto half = style.twoSysexTracks ? dumps.begin() + long(dumps.size() / 2) : dumps.end();
    putChunk(&out, "MTrk", sysexTrack(dumps.begin(), half, style));
    if (style.twoSysexTracks) putChunk(&out, "MTrk", sysexTrack(half, dumps.end(), style));
    return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

void withFileSizeLimit(long bytes, const std::function<void()>& run) {
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(bytes);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    run();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previous);
}

TempFolder::TempFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "zoz-test-XXXXXX").string();
    if (!mkdtemp(&templ[0])) throw std::runtime_error("cannot make a temporary folder");
    m_path = templ;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace testsupport

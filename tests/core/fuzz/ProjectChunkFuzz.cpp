// The project chunk as a host hands it back, through the restore of a live plug-in: a chunk is
// either refused with nothing changed, or restored so that saving and restoring again gives the
// same bytes. Byte 0 chooses the form: bit 0 clear, the rest is the chunk; set, the rest edits
// a chunk the plug-in saved, five bytes an edit (offset, little-endian, and the byte put
// there), and with bit 1 the chunk is then cut at the last edit's offset.
#include "src/core/Zoz.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

// The MIDI library's JACK back end keeps the ring buffers of a client that found no server.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:jack_ringbuffer_create\n";
}

namespace {

using Bytes = std::vector<uint8_t>;

Zoz& plug() {
    static std::unique_ptr<Zoz> instance = [] {
        const std::string data = std::filesystem::temp_directory_path().string() +
                                 "/zoz-project-chunk-fuzz-" + std::to_string(getpid()) + "/";
        setenv("ZOZ_DATA_DIR", data.c_str(), 1);
        setenv("ZOZ_RESOURCES_DIR", (data + "no-resources").c_str(), 1);
        // Chunks name ports: a port restored from one is looked for and awaited. On a server
        // that no one runs, the target leaves the MIDI tests' server and the user's alone.
        setenv("ZOZ_MIDI_API", "jack", 1);
        setenv("JACK_DEFAULT_SERVER", ("zoz-fuzz-none-" + std::to_string(getpid())).c_str(), 1);
        auto zoz = std::make_unique<Zoz>(IEffectInstanceInfo{});
        std::filesystem::remove_all(data); // start-up made it; nothing is read from it later
        return zoz;
    }();
    return *instance;
}

Bytes saved() {
    ByteChunk chunk;
    plug().SerializeState2(&chunk, true);
    return Bytes(chunk.GetData(), chunk.GetData() + chunk.Size());
}

int restore(const Bytes& bytes) {
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), int(bytes.size()));
    return plug().UnserializeState2(&chunk, 0, true);
}

Bytes edited(const uint8_t* data, size_t size) {
    Bytes chunk = saved();
    size_t last = chunk.size();
    for (size_t i = 1; i + 5 <= size; i += 5) {
        uint32_t offset = 0;
        memcpy(&offset, data + i, 4);
        last = offset % chunk.size();
        chunk[last] = data[i + 4];
    }
    if (data[0] & 2) chunk.resize(last);
    return chunk;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Bytes input = data[0] & 1 ? edited(data, size) : Bytes(data + 1, data + size);
    const Bytes before = saved();
    const int end = restore(input);
    if (end < 0) {
        if (end != -1 || saved() != before) abort();
        return 0;
    }
    if (size_t(end) > input.size()) abort();
    const Bytes once = saved();
    if (restore(once) != int(once.size()) || saved() != once) abort();
    return 0;
}

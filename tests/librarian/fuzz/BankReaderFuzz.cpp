// Random bytes through both bank readers, then through the writer and back: no crash, no
// read outside the data, and every dump that comes out has its full length and one F7 at its end.
#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"
#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianTestHost.h"

#include <cstdlib>
#include <cstring>

namespace {
void check(const PatchFile& bank) {
    for (const LibrarianPatch& e : bank.entries) {
        for (const PatchSysexMessage& d : e.dumps) {
            const int full = d.messageId() == PatchSysexMessage::kPattern ? 544 : 393;
            if (d.size() < full || d.bytes.back() != 0xF7 || d.bytes[0] != 0xF0) abort();
        }
    }
}

void readAndRewrite(const uint8_t* data, size_t size, bool asMidi) {
    LibrarianTestHost host;
    PatchLibrarian lib(host);
    ByteChunk chunk;
    chunk.PutBytes(data, int(size));
    PatchFile bank;
    lib.loadFromChunk(chunk, &bank);
    check(bank);
    ByteChunk image;
    BankFile::buildImage(bank, asMidi, &image);
    PatchFile again;
    lib.loadFromChunk(image, &again);
    check(again);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    readAndRewrite(data, size, false);
    // The same bytes as the body of a MIDI file.
    static const uint8_t magic[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x60};
    std::vector<uint8_t> midi(magic, magic + sizeof magic);
    midi.insert(midi.end(), data, data + size);
    readAndRewrite(midi.data(), midi.size(), true);
    return 0;
}

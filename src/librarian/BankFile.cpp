#include "src/librarian/BankFile.h"

#include "kit/effect/ByteChunk.h"
#include "src/librarian/PatchFile.h"

#include <Poco/File.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// File header (format 1, two tracks, 480 ticks a quarter), the tempo track (4/4, 120 BPM)
// and the start of the SysEx track, whose length follows.
const uint8_t kMidiFileHead[] = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0, 0x4D,
    0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
    0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B};
const uint8_t kEndOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};
constexpr int kTrackLengthOffset = int(sizeof kMidiFileHead);

std::string reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + strerror(errno);
}
} // namespace

void BankFile::buildImage(const PatchFile& bank, bool asMidi, ByteChunk* image) {
    if (asMidi) {
        image->PutBytes(kMidiFileHead, sizeof kMidiFileHead);
        image->PutInt(0); // the track length, known at the end
    }
    bool first = true;
    for (const LibrarianPatch& entry : bank.entries) {
        for (const PatchSysexMessage& dump : entry.dumps) {
            if (dump.bytes.empty()) continue;
            dump.save(image, asMidi, first);
            first = false;
        }
    }
    if (asMidi) {
        image->PutBytes(kEndOfTrack, sizeof kEndOfTrack);
        const uint32_t length = uint32_t(image->Size() - kTrackLengthOffset - 4);
        uint8_t* at = image->GetData() + kTrackLengthOffset;
        for (int i = 0; i < 4; ++i)
            at[i] = uint8_t(length >> (24 - 8 * i));
    }
}

bool BankFile::read(const std::string& path, ByteChunk* into, std::string* error) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        *error = reason("cannot open", path);
        return false;
    }
    long size = -1;
    if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
    bool ok = false;
    if (size < 0 || fseek(f, 0, SEEK_SET) != 0) {
        *error = reason("cannot measure", path);
    } else if (size > kMaxFileSize) {
        *error = "too large to be a bank: " + path;
    } else if (into->Resize(int(size)) != int(size)) {
        *error = "no memory for " + path;
    } else if (size > 0 && fread(into->GetData(), 1, size_t(size), f) != size_t(size)) {
        *error = reason("cannot read", path);
    } else {
        ok = true;
    }
    fclose(f);
    return ok;
}

bool BankFile::write(const std::string& path, const ByteChunk& image, std::string* error) {
    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        *error = reason("cannot create a file beside", path);
        return false;
    }
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        *error = reason("cannot write", temp);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    const size_t n = size_t(image.Size());
    bool ok = (n == 0 || fwrite(image.GetData(), 1, n, f) == n) && fflush(f) == 0;
    if (!ok) *error = reason("cannot write", temp);
    if (fclose(f) != 0 && ok) {
        ok = false;
        *error = reason("cannot close", temp);
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        *error = reason("cannot replace", path);
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

std::string BankFile::freeName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string base = hasExtension ? path.substr(0, dot) : path;
    const std::string ext = hasExtension ? path.substr(dot) : "";
    std::string candidate = path;
    for (int n = 2; Poco::File(candidate).exists(); ++n)
        candidate = base + " " + std::to_string(n) + ext;
    return candidate;
}

std::string BankFile::extensionOf(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? fileName : fileName.substr(dot + 1);
}

std::string BankFile::baseNameOf(const std::string& fileName) {
    return fileName.substr(0, fileName.rfind('.'));
}

#pragma once

#include <string>

class ByteChunk;
class PatchFile;

// The bank files on disk: building a bank's image in the raw or the MIDI file form, reading
// and writing whole files, and finding a name that no file has yet.
class BankFile {
public:
    // Files larger than this are no banks: they are neither read nor held in memory.
    static constexpr int kMaxFileSize = 16 * 1024 * 1024;

    // Appends the bank's dumps in slot order to an empty image: back to back, or as a
    // two-track MIDI file whose lengths follow the dumps it holds.
    static void buildImage(const PatchFile& bank, bool asMidi, ByteChunk* image);

    // Reads a whole file; false (with a reason) when it cannot be opened or read or is too large.
    static bool read(const std::string& path, ByteChunk* into, std::string* error);
    // Writes the image to a new file beside `path` and renames it over `path`, so that an
    // existing file is replaced only by complete new content; false (with a reason) otherwise.
    static bool write(const std::string& path, const ByteChunk& image, std::string* error);

    // `path` when nothing exists there; else the first free "<base> 2.<ext>", "<base> 3.<ext>" ….
    static std::string freeName(const std::string& path);
    // The text after the last "." of a file name (the whole name without one).
    static std::string extensionOf(const std::string& fileName);
    // The name without its extension (everything before the last ".").
    static std::string baseNameOf(const std::string& fileName);
};

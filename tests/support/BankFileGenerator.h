#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Bank files as the synthesizers and other programs write them, made independently of the
// librarian's own writers: dumps of each kind and model, raw files and Standard MIDI Files.
namespace testsupport {

using Dump = std::vector<uint8_t>;

enum class DumpModel { Q, MicroQ, Blofeld };

// A sound dump in the model's own layout, with pseudo-random data bytes (below 0x80) from
// `seed` and a correct checksum:
//   Q        393 bytes, model byte 0x0F, name at 371, category text at 387;
//   microQ   392 bytes, model byte 0x10, name at 370, category text at 386;
//   Blofeld  392 bytes, model byte 0x13, name at 370, category number at 386 (387 is 0).
// For the Blofeld `category` is the number in decimal ("5").
Dump soundDump(DumpModel model, const std::string& name, const std::string& category, uint32_t seed,
               uint8_t deviceId = 0, uint8_t location = 0);
// A multi (393 bytes, name at 23) and a pattern (545 bytes, name at 15) of the Q.
Dump multiDump(const std::string& name, uint32_t seed);
Dump patternDump(const std::string& name, uint32_t seed);

// `count` dumps named "<prefix> <n>" (n from 1, padded with blanks to 16 characters).
std::vector<Dump> soundDumps(int count, const std::string& prefix, const std::string& category,
                             DumpModel model = DumpModel::Q);
std::vector<Dump> multiDumps(int count, const std::string& prefix);
std::vector<Dump> patternDumps(int count, const std::string& prefix);

// The sum of bytes 4 to n-3, AND 0x7F, written at n-2.
void setChecksum(Dump* dump);
// Whether byte n-2 holds that checksum.
bool hasValidChecksum(Dump dump);

// The dumps back to back.
std::vector<uint8_t> rawBankFile(const std::vector<Dump>& dumps);

struct MidiFileStyle {
    uint32_t delta = 500;
    // A text meta event before each dump whose text holds bytes a dump scan would take for a
    // dump header, and note events in running status between the dumps.
    bool noise = false;
    // A second SysEx track holding the second half of the dumps.
    bool twoSysexTracks = false;
};
// A Standard MIDI File (format 1, 96 ticks a quarter) with a tempo track and one SysEx
// event per dump, every length computed from the data.
std::vector<uint8_t> midiBankFile(const std::vector<Dump>& dumps, const MidiFileStyle& style = {});

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);
// Runs `run` while no file of this process can grow beyond `bytes`: writes past it fail.
void withFileSizeLimit(long bytes, const std::function<void()>& run);

// A fresh folder below the system's temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // Without a trailing "/".
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace testsupport

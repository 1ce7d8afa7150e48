#pragma once

#include <array>
#include <string>

// The editor's settings file in the data folder: five lines joined by "\n", no line feed
// after the last. Words are compared exactly; anything else means "not set".
class SettingsFile {
public:
    enum Line { kColourScheme, kWindowSize, kDefaultPorts, kMIDIOutDevice, kMIDIInDevice, kLines };
    using Lines = std::array<std::string, kLines>;

    // The lines of the file, each with its trailing blanks, tabs, CRs and LFs removed; lines
    // the file does not have (or all, without a file) are empty.
    static Lines read(const std::string& path);

    enum class Rewrite { kWritten, kNoFile, kFailed };
    // Replaces the content of an existing file by the lines through a temporary file renamed
    // over it, so a failed write leaves the old file whole. The file is never created.
    static Rewrite rewrite(const std::string& path, const Lines& lines);

    // What a fresh install starts with: the first scheme and size, no ports, and "no", so
    // that the first-run notice shows.
    static Lines defaults();
    // Writes the lines as a new file, complete before it appears at `path`; a file already
    // there is left as it is. False when nothing was written.
    static bool create(const std::string& path, const Lines& lines);

    // The colour scheme (0 yellow .. 4 phoenix) or window size (0 small, 1 normal, 2 large)
    // a word names; -1 for any other text.
    static int colourScheme(const std::string& word);
    static int windowSize(const std::string& word);
    // The editor's size factor for a window size; 1.0 for none.
    static double windowScale(int size);
};

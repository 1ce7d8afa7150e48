// The settings file as a person or another program left it, through the reading the start-up
// does: the first five lines split at line feeds, each without its trailing blanks, tabs and
// carriage returns, missing ones empty; and lines stored back read the same.
#include "src/core/SettingsFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A folder of its own, in memory where there is such a folder (every rewrite syncs the file),
// gone when the process ends.
struct Folder {
    std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                       "/zoz-settings-file-XXXXXX";
    Folder() {
        if (!mkdtemp(path.data())) abort();
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

const std::string& settingsPath() {
    static const Folder folder;
    static const std::string path = folder.path + "/Zoz Editor UI.txt";
    return path;
}

// The lines as the file's reading is described, made independently of the reader.
SettingsFile::Lines expected(const std::string& text) {
    SettingsFile::Lines lines;
    size_t start = 0;
    for (std::string& line : lines) {
        if (start >= text.size()) break;
        const size_t end = std::min(text.find('\n', start), text.size());
        line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.pop_back();
        start = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = settingsPath();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    const SettingsFile::Lines lines = SettingsFile::read(path);
    if (lines != expected(text)) abort();
    if (SettingsFile::rewrite(path, lines) != SettingsFile::Rewrite::kWritten ||
        SettingsFile::read(path) != lines)
        abort();
    return 0;
}

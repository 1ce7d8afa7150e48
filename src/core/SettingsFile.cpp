#include "src/core/SettingsFile.h"

#include "src/uiconfig/UserInterfaceLook.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename Row, size_t N, typename WordOf>
int indexOf(const Row (&table)[N], const std::string& word, WordOf wordOf) {
    for (size_t i = 0; i < N; ++i)
        if (word == wordOf(table[i])) return int(i);
    return -1;
}

bool writeAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

std::string joined(const SettingsFile::Lines& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    return text;
}

// Writes the text to a temporary file beside `path` (with the mode of `like` when given, else
// the user's alone) and hands it to `place`, which puts it at `path`; no temporary file stays.
template <typename Place>
bool placeNewContent(const std::string& path, const std::string& text, const struct stat* like,
                     Place place) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    const bool written =
        (!like || fchmod(fd, like->st_mode & 07777) == 0) && writeAll(fd, text) && fsync(fd) == 0;
    if (close(fd) == 0 && written && place(temp.c_str(), path.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

// Puts `from` at `to` only where no file is: a rename that replaces nothing or, on a file system
// that knows no such rename (ZFS before 2.2), a second link.
int placeWithoutReplacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL || link(from, to) != 0) return -1;
    unlink(from);
    return 0;
}

} // namespace

SettingsFile::Lines SettingsFile::read(const std::string& path) {
    Lines lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string& line : lines) {
        if (!std::getline(in, line)) break;
        line.erase(line.find_last_not_of(" \n\r\t") + 1);
    }
    return lines;
}

SettingsFile::Rewrite SettingsFile::rewrite(const std::string& path, const Lines& lines) {
    struct stat existing;
    if (stat(path.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) return Rewrite::kNoFile;
    return placeNewContent(path, joined(lines), &existing, ::rename) ? Rewrite::kWritten
                                                                     : Rewrite::kFailed;
}

SettingsFile::Lines SettingsFile::defaults() {
    return {"yellow", "normal", "no", "", ""};
}

bool SettingsFile::create(const std::string& path, const Lines& lines) {
    return placeNewContent(path, joined(lines), nullptr, placeWithoutReplacing);
}

int SettingsFile::colourScheme(const std::string& word) {
    return indexOf(kUserInterfaceStyleWords, word, [](const char* w) { return w; });
}

int SettingsFile::windowSize(const std::string& word) {
    return indexOf(kUserInterfaceSizes, word,
                   [](const UserInterfaceSize& row) { return row.word; });
}

double SettingsFile::windowScale(int size) {
    return size >= 0 && size < int(std::size(kUserInterfaceSizes)) ? kUserInterfaceSizes[size].scale
                                                                   : 1.0;
}

#include "platform/ResourceFile.h"

#include "platform/Paths.h"

#include <climits>
#include <cstdio>
#include <sys/stat.h>

namespace platform {

std::string ResourcePath(const std::string& name) {
    static const std::string prefix = "resources/";
    const bool prefixed = name.compare(0, prefix.size(), prefix) == 0;
    return ResourcesFolder() + (prefixed ? name.substr(prefix.size()) : name);
}

bool ReadResourceFile(const std::string& name, std::vector<char>& bytes) {
    bytes.clear();
    const std::string path = ResourcePath(name);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // The read count is an int for every caller, and the zero byte must fit after it.
    if (st.st_size >= INT_MAX) return false;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.resize(size_t(st.st_size) + 1);
    const size_t got = fread(bytes.data(), 1, size_t(st.st_size), f);
    // A file that grew while it was read is not whole either.
    const bool whole = got == size_t(st.st_size) && fgetc(f) == EOF && !ferror(f);
    fclose(f);
    if (!whole) {
        bytes.clear();
        return false;
    }
    bytes[got] = 0;
    return true;
}

} // namespace platform

#include "platform/Paths.h"

#include <cstdlib>
#include <dlfcn.h>

namespace platform {
namespace {

std::string withSlash(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

std::string env(const char* name) {
    const char* v = getenv(name);
    return v ? v : "";
}

} // namespace

std::string DataFolder() {
    const std::string forced = env("ZOZ_DATA_DIR");
    if (!forced.empty()) return withSlash(forced);
    std::string base = env("XDG_DATA_HOME");
    if (base.empty()) base = env("HOME") + "/.local/share";
    return withSlash(base) + "Kavmoor/Veririz Zoz Editor/";
}

std::string ResourcesFolder() {
    const std::string forced = env("ZOZ_RESOURCES_DIR");
    if (!forced.empty()) return withSlash(forced);
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ResourcesFolder), &info) && info.dli_fname) {
        std::string module = info.dli_fname;
        const size_t slash = module.rfind('/');
        return (slash == std::string::npos ? std::string("./") : module.substr(0, slash + 1)) +
               "resources/";
    }
    return "resources/";
}

} // namespace platform

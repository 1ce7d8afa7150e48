#include "platform/Paths.h"

#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

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

std::string ModuleFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) || !info.dli_fname) return "";
    const std::string module = info.dli_fname;
    const size_t slash = module.rfind('/');
    return slash == std::string::npos ? std::string("./") : module.substr(0, slash + 1);
}

std::string ExecutablePath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    return n > 0 && size_t(n) < sizeof path ? std::string(path, size_t(n)) : std::string();
}

std::string ResourcesFolder() {
    const std::string forced = env("ZOZ_RESOURCES_DIR");
    if (!forced.empty()) return withSlash(forced);
    return ModuleFolder() + "resources/";
}

} // namespace platform

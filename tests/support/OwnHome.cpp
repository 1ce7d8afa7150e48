#include "tests/support/OwnHome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace testsupport {

OwnHome::OwnHome() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zoz-home-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        perror("zoz tests: no home folder of their own");
        abort();
    }
    m_path = pattern;
    // The display's key stays the person's, as the display does.
    const char* home = getenv("HOME");
    const std::string authority = std::string(home ? home : "") + "/.Xauthority";
    if (home && !getenv("XAUTHORITY") && access(authority.c_str(), R_OK) == 0)
        setenv("XAUTHORITY", authority.c_str(), 1);
    setenv("HOME", m_path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_path + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (m_path + "/.local/share").c_str(), 1);
    setenv("XDG_STATE_HOME", (m_path + "/.local/state").c_str(), 1);
    setenv("XDG_CACHE_HOME", (m_path + "/.cache").c_str(), 1);
    setenv("ZOZ_DATA_DIR", (m_path + "/.local/share/Kavmoor/Veririz Zoz Editor/").c_str(), 1);
}

OwnHome::~OwnHome() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace testsupport

#include "tests/support/ScriptedChooser.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace testsupport {

ScriptedChooser::ScriptedChooser(const std::string& program, bool forced)
    : m_oldPath(getenv("PATH") ? getenv("PATH") : ""),
      m_oldChooser(getenv("ZOZ_FILE_CHOOSER") ? getenv("ZOZ_FILE_CHOOSER") : ""),
      m_hadChooser(getenv("ZOZ_FILE_CHOOSER") != nullptr) {
    const std::string d = m_folder.path();
    const std::string script = d + "/" + program;
    std::ofstream(script) << "#!/bin/sh\n"
                          << "d='" << d << "'\n"
                          << "n=$(( $(/bin/cat \"$d/count\" 2>/dev/null || echo 0) + 1 ))\n"
                          << "echo $n > \"$d/count\"\n"
                          << "for a in \"$@\"; do printf '%s\\000' \"$a\"; done > \"$d/args.$n\"\n"
                          << "[ -f \"$d/out.$n\" ] && /bin/cat \"$d/out.$n\"\n"
                          << "exit $(/bin/cat \"$d/code.$n\" 2>/dev/null || echo 1)\n";
    chmod(script.c_str(), 0755);
    setenv("PATH", (d + ":" + m_oldPath).c_str(), 1);
    if (forced) setenv("ZOZ_FILE_CHOOSER", program.c_str(), 1);
}

ScriptedChooser::~ScriptedChooser() {
    setenv("PATH", m_oldPath.c_str(), 1);
    if (m_hadChooser)
        setenv("ZOZ_FILE_CHOOSER", m_oldChooser.c_str(), 1);
    else
        unsetenv("ZOZ_FILE_CHOOSER");
}

void ScriptedChooser::reply(int exitCode, const std::string& output) {
    const std::string n = std::to_string(++m_replies);
    std::ofstream(m_folder.path() + "/code." + n) << exitCode << "\n";
    std::ofstream(m_folder.path() + "/out." + n) << output;
}

std::vector<std::vector<std::string>> ScriptedChooser::calls() const {
    std::vector<std::vector<std::string>> all;
    for (int n = 1;; ++n) {
        std::ifstream in(m_folder.path() + "/args." + std::to_string(n), std::ios::binary);
        if (!in) return all;
        std::vector<std::string> args;
        for (std::string arg; std::getline(in, arg, '\0');)
            args.push_back(arg);
        all.push_back(args);
    }
}

} // namespace testsupport

#pragma once

#include "tests/support/BankFileGenerator.h"

#include <string>
#include <vector>

namespace testsupport {

// A fake chooser program ("zenity" or "kdialog") first on $PATH, and forced as the chooser,
// while the object lives: each run records its arguments and gives the next scripted reply;
// past the script it exits 1 (cancelled). The environment is set back at the end.
class ScriptedChooser {
public:
    explicit ScriptedChooser(const std::string& program = "zenity", bool forced = true);
    ~ScriptedChooser();
    ScriptedChooser(const ScriptedChooser&) = delete;
    ScriptedChooser& operator=(const ScriptedChooser&) = delete;

    // The next run prints the path and a line feed and exits 0.
    void answer(const std::string& path) { reply(0, path + "\n"); }
    void cancel() { reply(1, ""); }
    void reply(int exitCode, const std::string& output);
    // The arguments of each run so far.
    std::vector<std::vector<std::string>> calls() const;
    const std::string& folder() const { return m_folder.path(); }

private:
    TempFolder m_folder;
    int m_replies = 0;
    std::string m_oldPath;
    std::string m_oldChooser;
    bool m_hadChooser;
};

} // namespace testsupport

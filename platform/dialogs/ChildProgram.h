#pragma once

#include "platform/dialogs/Dialogs.h"

#include <string>
#include <vector>

namespace platform::dialogs {

// The executable file of that name in a folder of $PATH; "" when there is none.
std::string FindProgram(const std::string& name);

struct ProgramResult {
    bool started = false;
    // It ended by itself; false when it was given up on.
    bool ran = false;
    int exitCode = -1;
    std::string output; // its standard output
};

// Runs the program at argv[0] with these arguments (no shell), its standard input empty and
// its errors discarded, and waits through `wait`. A program given up on is ended.
ProgramResult RunProgram(const std::vector<std::string>& argv, const Waiter& wait);

} // namespace platform::dialogs

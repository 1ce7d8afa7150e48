#pragma once

#include <string>

namespace platform::wsys {

// The system workspace: URLs and files open in the desktop's default programs through
// "xdg-open"; "NAME.app" stands for the program NAME on the PATH, except "TextEdit.app",
// which is the desktop's text editor (the file's default program). Programs start from an
// argument list, never through a shell. Opening waits for "xdg-open" and succeeds when it
// exits with 0; a program started with or without a file succeeds when it starts, and is not
// waited for.
namespace Workspace {

bool OpenURL(const std::string& url);
bool OpenFile(const std::string& path);
bool OpenFileWithApplication(const std::string& path, const std::string& application);
bool LaunchApplication(const std::string& application);

} // namespace Workspace

} // namespace platform::wsys

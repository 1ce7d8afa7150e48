#pragma once

#include <string>
#include <vector>

namespace platform {

// Where a bundle resource named "resources/…" lies: ResourcesFolder() followed by the rest
// of the name (names without that prefix are taken as relative to the folder).
std::string ResourcePath(const std::string& name);

// Reads a bundle resource whole: bytes receives its contents followed by one zero byte.
// False, with bytes emptied, when the file is missing or cannot be read whole; prints
// "failed to open file" when it exists but cannot be opened.
bool ReadResourceFile(const std::string& name, std::vector<char>& bytes);

} // namespace platform

#pragma once

#include <string>

namespace platform {

// The data folder (patches, converted banks, log and settings files), ending in "/":
// $ZOZ_DATA_DIR when set, else $XDG_DATA_HOME (or ~/.local/share) + "/Kavmoor/Veririz Zoz Editor/".
std::string DataFolder();

// The folder of the module that holds this code (the plug-in's .so), ending in "/".
std::string ModuleFolder();

// The running program (the host), or "" when it cannot be told.
std::string ExecutablePath();

// The bundle resources (configuration and images), ending in "/": $ZOZ_RESOURCES_DIR when
// set, else the "resources" folder in ModuleFolder().
std::string ResourcesFolder();

} // namespace platform

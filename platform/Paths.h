#pragma once

#include <string>

namespace platform {

// The data folder (patches, converted banks, log and settings files), ending in "/":
// $ZOZ_DATA_DIR when set, else $XDG_DATA_HOME (or ~/.local/share) + "/Kavmoor/Veririz Zoz Editor/".
std::string DataFolder();

// The bundle resources (configuration and images), ending in "/": $ZOZ_RESOURCES_DIR when
// set, else the "resources" folder beside the module that holds this code.
std::string ResourcesFolder();

} // namespace platform

#pragma once

#include <string>
#include <vector>

// The texts of one section of a SysEx entry, in file order.
struct Values {
    std::vector<std::string> items;
};

#pragma once

#include <string>
#include <vector>

// The banks a new patches folder starts with, so that a fresh install's librarian has banks
// to fetch into and to send from: one bank per kind, 100 of the built-in init dumps each, in
// the plug-in's own bank form ("Init Sounds.vub", "Init Multis.vub", "Init Patterns.vub").
class StarterBanks {
public:
    // Writes the three banks into the folder; a name already in use there takes the next free
    // one. One line per bank that could not be written.
    static std::vector<std::string> write(const std::string& folder);
};

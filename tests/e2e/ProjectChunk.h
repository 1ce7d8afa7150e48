#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A project chunk as the plug-in gives it to the host, read independently of the plug-in by
// its published layout: the framework's 8-byte header, then the plug-in's state (version
// word, selected part, model, the patch-manager block with its snapshot and 51 names, four
// normalised selections, and the plain values of parameters 0 .. 18169).
class ProjectChunk {
public:
    static constexpr int kStoredParams = 18170;

    // False when the bytes are not exactly the whole layout.
    bool Read(const std::vector<uint8_t>& chunk);
    // The plain value of a stored parameter.
    double Value(int paramId) const { return m_values[size_t(paramId)]; }
    // Name slot 0 .. 50 (multi, 16 sounds, MIDI In, MIDI Out, 16 categories, 16 patterns).
    const std::string& Name(int slot) const { return m_names[size_t(slot)]; }

private:
    std::vector<double> m_values;
    std::vector<std::string> m_names;
};

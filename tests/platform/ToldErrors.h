#pragma once

#include "platform/midi/MidiBackend.h"

#include <mutex>
#include <string>
#include <vector>

// The lines a MIDI port tells its plug-in, kept for the test; the port's threads tell too.
struct Told {
    std::mutex mutex;
    std::vector<std::string> lines;
    platform::MidiErrors errors{[this](const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(text);
    }};
    std::string Last() {
        std::lock_guard<std::mutex> lock(mutex);
        return lines.empty() ? "" : lines.back();
    }
};

#pragma once

#include <atomic>
#include <memory>

class LibrarianPatch;

// A collection of dumps for the librarian's selected slot: armed by the thread that requests
// them, filled on the MIDI input thread.
struct LibrarianRequest {
    std::atomic<int> state{1};
    std::atomic<bool> active{false};
    // The entry collected so far; null while nothing has been collected.
    std::shared_ptr<LibrarianPatch> patch;

    // Empties the collection and lets it collect.
    void arm() {
        patch.reset();
        active = true;
    }
};

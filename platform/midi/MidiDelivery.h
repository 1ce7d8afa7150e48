#pragma once

namespace platform {

// What became of a message an output queued, as far as xruns of its server go.
enum class MidiDelivery {
    kUnderWatch, // not yet out, or out and a notice of an xrun that dropped it may still come
    kClear,      // out, and no xrun was told that may have dropped it
    kMayBeLost,  // an xrun was told that may have dropped it
};

} // namespace platform

#pragma once

#include "kit/effect/ByteChunk.h"

#include <string>
#include <vector>

// The state snapshot and the name texts that travel in the host project chunk.
class Patch {
public:
    static constexpr int kNames = 52;

    ByteChunk state{4096};
    std::vector<std::string> names = std::vector<std::string>(kNames, "INIT");
};

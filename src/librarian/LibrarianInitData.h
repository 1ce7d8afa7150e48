#pragma once

#include <cstdint>
#include <vector>

// The init dumps that complete short banks and fill empty slots.
extern const uint8_t initPatchData[393];
extern const uint8_t initMultiData[393];
// The init pattern dump (545 bytes): "INIT Sequence   " with 32 neutral steps.
const std::vector<uint8_t>& initPatternData();

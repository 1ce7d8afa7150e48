#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace testsupport {

// Compares a picture with the PNG golden at <source>/<relativePath>. Pixels are 32-bit words
// whose bytes are, in memory order, an ignored byte, red, green and blue; stride is in pixels.
// A pixel differs when any channel is more than `tolerance` away; the comparison fails when
// more than maxDiffering pixels differ or the size differs. On failure the picture is written
// beside the test binary as <name>.actual.png for a look. With ZOZ_UPDATE_GOLDEN=1 in the
// environment the golden is (re)written from the picture instead.
::testing::AssertionResult MatchesGolden(const std::string& relativePath, const uint32_t* pixels,
                                         int width, int height, int stride, int tolerance,
                                         int maxDiffering);

} // namespace testsupport

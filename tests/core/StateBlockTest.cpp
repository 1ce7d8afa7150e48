#include "tests/core/CoreRig.h"

#include "src/core/Patch.h"
#include "src/core/PatchManager.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstring>

using namespace coretest;
using StateBlock = CoreRig;

namespace {
double doubleAt(const ByteChunk& chunk, int pos) {
    double v = 0.0;
    memcpy(&v, chunk.GetData() + pos, 8);
    return v;
}
} // namespace

TEST_F(StateBlock, SnapshotAndFullBlockHaveTheirFixedLayout) {
    auto plug = start();
    plug->GetParam(kQuickTab)->Set(0.75);
    PatchManager& manager = *plug->getPatchManager();
    manager.init();
    const ByteChunk& snapshot = manager.state;
    ASSERT_EQ(snapshot.Size(), 4 + 8 + 8 + 18170 * 8);
    EXPECT_EQ(std::vector<uint8_t>(snapshot.GetData(), snapshot.GetData() + 4),
              (std::vector<uint8_t>{0, 0, 0, 1}));
    EXPECT_EQ(doubleAt(snapshot, 4), 0.75);

    manager.setName(1, "A sound of twenty"); // 17 characters: cut to 16
    manager.setName(19, std::string("Ba\0ss", 5));
    manager.setName(51, "never stored");
    ByteChunk full;
    plug->SerializeState2(&full, true);
    const uint8_t* b = full.GetData();
    // Head, then the block: two version words and the snapshot's length, big-endian.
    EXPECT_EQ(std::vector<uint8_t>(b + 20, b + 32),
              (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 1, 0x00, 0x02, 0x37, 0xE4}));
    int pos = 32 + snapshot.Size();
    std::vector<std::string> names;
    for (int slot = 0; slot < PatchManager::kStoredNames; ++slot) {
        int32_t n = 0;
        pos = full.GetInt(&n, pos);
        names.emplace_back(reinterpret_cast<const char*>(b + pos), size_t(n));
        pos += n;
    }
    EXPECT_EQ(names[0], "INIT");
    EXPECT_EQ(names[1], "A sound of twent");
    EXPECT_EQ(names[17], "Set Name"); // no device chosen
    EXPECT_EQ(names[18], "Set Name");
    EXPECT_EQ(names[19], "Ba");
    EXPECT_EQ(names[50], "INIT");
    EXPECT_EQ(full.Size(), pos + 4 * 8 + 18170 * 8);
}

TEST(PatchState, AFreshPatchHoldsNoStateAndFiftyTwoInitNames) {
    const Patch patch;
    EXPECT_EQ(patch.state.Size(), 0);
    EXPECT_EQ(patch.names, std::vector<std::string>(52, "INIT"));
}

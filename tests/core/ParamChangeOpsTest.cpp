#include "tests/core/SendRig.h"

#include <filesystem>

using namespace coretest;

namespace {

// The plug-in started over a settings file of its own.
struct ParamChangeOps : SendRig {
    void SetUp() override {
        writeSettings("red\nnormal\nyes\nOut \xC3\xA9\n");
        SendRig::SetUp();
    }
    void edit(int idx, double v) {
        set(idx, v);
        plug->OnParamChange(idx);
    }
    std::string file() const {
        const std::vector<uint8_t> b = testsupport::readFile(settingsPath());
        return {b.begin(), b.end()};
    }
};

} // namespace

TEST_F(ParamChangeOps, DeviceIdAndChannelStatusGoOutWithTheNewId) {
    edit(kGlobalSysExID, 5); // then the parameter's own message
    EXPECT_EQ(sent().at(0), (Bytes{0xF0, 0x3E, 0x0F, 0x05, 0x24, 0x00, 0x19, 0x05, 0xF7}));
    EXPECT_EQ(plug->getDeviceId(), 5);

    // Part 16 with a different value in each field of the two packed bytes.
    for (const auto& [id, v] : {std::pair{kMIDIRX, 3}, {kMIDITX, 2}, {kEngine, 3},
                                {kPartSustain, 1}, {kPartProgramChange, 1}})
        set(id + 15, v);
    const std::pair<bool, int> bytes[] = {{true, 3 + 4 * 2 + 16 * 3}, {false, 8 + 32}};
    for (const auto& [first, byte] : bytes) {
        plug->SendChannelStatus(15, first);
        const std::vector<Bytes> wire = sent();
        ASSERT_EQ(wire.size(), 1u);
        EXPECT_EQ(wire[0][3], 0x05);
        EXPECT_EQ(wire[0][7], byte);
    }
    EXPECT_EQ(line(kControlDisplayCC), "SysEx");
}

TEST_F(ParamChangeOps, SettingsAreHeldOnlyOnceWrittenAndNoTemporaryFileStays) {
    edit(kUserInterfaceSize, 2);
    EXPECT_EQ(file(), "red\nlarge\nyes\nOut \xC3\xA9\n");
    EXPECT_EQ(line(kControlDisplayName), "Size changes applied...");
    testsupport::withFileSizeLimit(4, [&] { edit(kUserInterfaceStyle, 4); });
    EXPECT_EQ(file(), "red\nlarge\nyes\nOut \xC3\xA9\n");
    EXPECT_EQ(plug->settingsLines()[SettingsFile::kColourScheme], "red");
    EXPECT_EQ(line(kControlDisplayName), "Zoz Editor UI.txt MISSING!");
    for (const auto& entry : std::filesystem::directory_iterator(data))
        EXPECT_EQ(entry.path().filename().string().rfind("Zoz Editor UI.txt.", 0),
                  std::string::npos);
}

TEST_F(ParamChangeOps, PassThroughSwitchesDropTheirKindOnTheirSideOnly) {
    const struct {
        int id;
        bool hardware;
        Zoz::FilterKind kind;
    } rows[] = {
        {kMIDIFilterDAWCCPassThrough, false, Zoz::kFilterCC},
        {kMIDIFilterDAWSEPassThrough, false, Zoz::kFilterSysEx},
        {kMIDIFilterHWCCPassThrough, true, Zoz::kFilterCC},
        {kMIDIFilterHWSEPassThrough, true, Zoz::kFilterSysEx},
    };
    for (const auto& row : rows) {
        const bool otherSide = plug->isBlocked(!row.hardware, row.kind);
        for (int v : {0, 1}) {
            edit(row.id, v);
            EXPECT_EQ(plug->isBlocked(row.hardware, row.kind), v == 0) << row.id;
            EXPECT_EQ(plug->isBlocked(!row.hardware, row.kind), otherSide) << row.id;
        }
    }
    EXPECT_FALSE(plug->isMIDIFilterBlocked(kMIDIFilterHWSEPassThrough + 1));
}

#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using testsupport::TestEffect;

namespace {

std::vector<uint8_t> bytesOf(const ByteChunk& c) {
    return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

std::vector<uint8_t> doubleBytes(double v) {
    std::vector<uint8_t> b(8);
    memcpy(b.data(), &v, 8);
    return b;
}

void expectSameValues(IEffectBase& a, IEffectBase& b) {
    ASSERT_EQ(a.NParams(), b.NParams());
    for (int i = 0; i < a.NParams(); ++i)
        ASSERT_EQ(a.GetParam(i)->Value(), b.GetParam(i)->Value()) << "parameter " << i;
}

const uint8_t kHeader[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

} // namespace

TEST(StateChunk, HeaderIsTffpThenVersionOne) {
    TestEffect plug(1, 1);
    ByteChunk c;
    c.PutInt(12345);
    plug.InitChunkWithIEffectVer(&c);
    EXPECT_EQ(bytesOf(c), std::vector<uint8_t>(kHeader, kHeader + 8));
    int pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&c, &pos), 0x00010000);
    EXPECT_EQ(pos, 8);

    ByteChunk cut;
    cut.PutBytes(kHeader, 6);
    pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&cut, &pos), 0);
    EXPECT_EQ(pos, -1);
    ByteChunk other;
    other.PutInt(7);
    other.PutInt(7);
    pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&other, &pos), 0);
    EXPECT_EQ(pos, 0);
    pos = -1;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&c, &pos), 0);
    EXPECT_EQ(pos, -1);
}

TEST(StateChunk, ParamsAreRawLittleEndianDoubles) {
    TestEffect plug(3, 1);
    plug.InitMixedParams(); // bool, int, enum
    plug.GetParam(0)->Set(1.0);
    plug.GetParam(1)->Set(-2.0);
    plug.GetParam(2)->Set(3.0);
    ByteChunk c;
    ASSERT_TRUE(plug.SerializeState(&c));
    std::vector<uint8_t> expected = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F,  // 1.0
                                     0, 0, 0, 0, 0, 0, 0x00, 0xC0,  // -2.0
                                     0, 0, 0, 0, 0, 0, 0x08, 0x40}; // 3.0
    EXPECT_EQ(bytesOf(c), expected);

    TestEffect hidden(2, 2); // nothing visible: nothing written, nothing read
    ByteChunk none;
    EXPECT_TRUE(hidden.SerializeParams(&none));
    EXPECT_EQ(none.Size(), 0);
    EXPECT_EQ(hidden.UnserializeParams(&c, 12), 12);
    EXPECT_EQ(hidden.UnserializeNonAutomatedParams(&c, 8, 0), 8);
    EXPECT_EQ(hidden.UnserializeNonAutomatedParams(&c, -1, 2), -1);
    EXPECT_TRUE(hidden.SerializeNonAutomatedParams(&none, 0));
    EXPECT_EQ(none.Size(), 0);
}

TEST(StateChunk, WholeParameterListRoundTrips) {
    constexpr int kParams = 18818;
    for (int hidden : {kParams, kParams - 1680}) {
        TestEffect a(kParams, hidden), b(kParams, hidden);
        a.InitMixedParams();
        b.InitMixedParams();
        a.Scramble(2024);
        ByteChunk c;
        ASSERT_TRUE(a.SerializeState(&c));
        EXPECT_EQ(c.Size(), kParams * 8);
        EXPECT_EQ(b.UnserializeState(&c, 0), c.Size());
        expectSameValues(a, b);
        EXPECT_TRUE(b.changes.empty() && b.changes2.empty() && b.informs.empty());
    }
}

TEST(StateChunk, ReadersClampAndAFailedReadStoresNothing) {
    TestEffect plug(4, 3);
    for (int i = 0; i < 4; ++i)
        plug.GetParam(i)->InitInt("p", 1, 0, 10);
    ByteChunk c;
    c.PutDouble(-5.0);
    c.PutDouble(99.0);
    c.PutInt(0); // 20 bytes: the third value does not fit
    EXPECT_EQ(plug.UnserializeNonAutomatedParams(&c, 0, 3), -1);
    EXPECT_EQ(plug.GetParam(1)->Value(), 0.0);
    EXPECT_EQ(plug.GetParam(2)->Value(), 10.0);
    EXPECT_EQ(plug.GetParam(3)->Value(), 1.0); // untouched
    EXPECT_EQ(plug.UnserializeParams(&c, 16), -1);
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_TRUE(plug.informs.empty());
    // More hidden values asked for than there are: only the hidden ones are read.
    ByteChunk four;
    for (int i = 0; i < 4; ++i)
        four.PutDouble(i);
    EXPECT_EQ(plug.UnserializeNonAutomatedParams(&four, 0, 9), 24);
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
}

TEST(StateChunk, PresetsAreNameFlagAndStateBytes) {
    TestEffect plug(2, 0, 2);
    plug.InitMixedParams();
    plug.MakeDefaultPreset("ab", 1); // preset 0 takes the current state
    ByteChunk c;
    ASSERT_TRUE(plug.SerializePresets(&c));
    std::vector<uint8_t> expected = {2, 0, 0, 0, 'a', 'b', 1};
    for (double v : {plug.GetParam(0)->Value(), plug.GetParam(1)->Value()}) {
        const auto d = doubleBytes(v);
        expected.insert(expected.end(), d.begin(), d.end());
    }
    const uint8_t empty[] = {5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0};
    expected.insert(expected.end(), empty, empty + sizeof(empty));
    EXPECT_EQ(bytesOf(c), expected);
}

TEST(StateChunk, PresetsRoundTripWithTheirStates) {
    TestEffect a(30, 10, 4), b(30, 10, 4);
    a.InitMixedParams();
    b.InitMixedParams();
    a.Scramble(1);
    a.MakeDefaultPreset("first", 1);
    a.Scramble(2);
    a.MakeDefaultPreset("", 1); // an empty name stays empty
    a.Scramble(3);
    a.MakeDefaultPreset("third", 1);
    ByteChunk c;
    a.InitChunkWithIEffectVer(&c);
    ASSERT_TRUE(a.SerializePresets(&c));
    ASSERT_TRUE(a.SerializeState(&c));
    int pos = 0;
    ASSERT_EQ(b.GetIEffectVerFromChunk(&c, &pos), 0x00010000);
    pos = b.UnserializePresets(&c, pos);
    pos = b.UnserializeState(&c, pos);
    EXPECT_EQ(pos, c.Size());
    expectSameValues(a, b);
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(b.GetPresetName(i), a.GetPresetName(i));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(b.RestorePreset(i));
    b.RestorePreset(0);
    a.RestorePreset(0);
    expectSameValues(a, b);
    EXPECT_STREQ(b.GetPresetName(1), "");
}

TEST(StateChunk, PresetReadersRejectGarbage) {
    TestEffect plug(4, 0, 2);
    plug.MakeDefaultPreset("keep", 2);
    ByteChunk c;
    c.PutInt(1000); // a name longer than the chunk
    c.PutBytes("ab", 2);
    EXPECT_EQ(plug.UnserializePresets(&c, 0), -1);
    EXPECT_STREQ(plug.GetPresetName(0), "keep");
    ByteChunk negative;
    negative.PutInt(-3);
    EXPECT_EQ(plug.UnserializePresets(&negative, 0), -1);
    ByteChunk noFlag;
    noFlag.PutStr("name");
    EXPECT_EQ(plug.UnserializePresets(&noFlag, 0), -1);
    ByteChunk longName;
    for (const std::string& name : {std::string(400, 'n'), std::string("x")}) {
        longName.PutStr(name.c_str());
        longName.PutBool(true);
        for (int i = 0; i < 4; ++i)
            longName.PutDouble(0.25 * i);
    }
    EXPECT_EQ(plug.UnserializePresets(&longName, 0), longName.Size());
    EXPECT_EQ(strlen(plug.GetPresetName(0)), 255u);

    TestEffect none(2, 0, 0);
    EXPECT_EQ(none.UnserializePresets(&c, 8), 8);
    EXPECT_FALSE(none.RestorePreset(0));
    ByteChunk empty;
    EXPECT_TRUE(none.SerializePresets(&empty));
    EXPECT_EQ(empty.Size(), 0);
}

TEST(StateChunk, RestoringAnUninitialisedPresetNamesItAsAUserPreset) {
    TestEffect plug(3, 0, 4);
    plug.MakeDefaultPreset("user preset 1", 1);
    plug.MakeDefaultPreset("my user preset", 1);
    EXPECT_TRUE(plug.RestorePreset(3));
    EXPECT_STREQ(plug.GetPresetName(3), "user preset 3");
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 3);
    EXPECT_EQ(plug.presetChanges, 1);
    EXPECT_TRUE(plug.RestorePreset("my user preset"));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
    EXPECT_FALSE(plug.RestorePreset("nobody"));
    EXPECT_FALSE(plug.RestorePreset(""));
    EXPECT_FALSE(plug.RestorePreset(-1));
    plug.failSerialize = true;
    EXPECT_FALSE(plug.RestorePreset(2));
}

TEST(StateChunk, PresetMakers) {
    TestEffect plug(3, 0, 5);
    plug.InitMixedParams(); // bool, int, enum: the values come as ints
    plug.MakePreset("literal", 1, -7, 4);
    plug.GetParam(2)->Set(6.0);
    plug.MakePresetFromNamedParams("named", 2, 1, 12, 77, 3); // 77 is no parameter: stop there
    ByteChunk state;
    for (double v : {0.0, 9.0, 2.0})
        state.PutDouble(v);
    plug.MakePresetFromChunk("chunk", &state);
    const struct { double p1, p2; } expected[] = {{-7.0, 4.0}, {12.0, 6.0}, {9.0, 2.0}};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(plug.RestorePreset(i));
        EXPECT_EQ(plug.GetParam(1)->Value(), expected[i].p1) << i;
        EXPECT_EQ(plug.GetParam(2)->Value(), expected[i].p2) << i;
    }
    // The blob dump of a preset builds the same preset again.
    const std::string path = testing::TempDir() + "preset_blob.txt";
    plug.DumpPresetBlob(path.c_str());
    std::ifstream in(path);
    const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t open = line.find("\", \"") + 4;
    EXPECT_EQ(line.substr(line.size() - 7), ", 24);\n");
    plug.MakePresetFromBlob("blob", line.substr(open, line.find('"', open) - open).c_str(), 24);
    plug.GetParam(1)->Set(0.0);
    ASSERT_TRUE(plug.RestorePreset(3));
    EXPECT_EQ(plug.GetParam(1)->Value(), 9.0);
    // "=" ends decoding; the rest of the block stays zero.
    plug.MakePresetFromBlob("short", "AAECAw==AAAA", 6);
    ByteChunk all;
    plug.SerializePresets(&all);
    const auto bytes = bytesOf(all);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 6, bytes.end()),
              std::vector<uint8_t>({0, 1, 2, 3, 0, 0}));

    plug.MakeDefaultPreset("none left", 3); // no uninitialised preset: nothing happens
    EXPECT_STREQ(plug.GetPresetName(4), "short");
    TestEffect prune(2, 0, 4);
    prune.MakeDefaultPreset(nullptr, 1);
    EXPECT_STREQ(prune.GetPresetName(0), "Empty");
    prune.PruneUninitializedPresets();
    EXPECT_EQ(prune.NPresets(), 1);
}

TEST(StateChunk, HostChunksCarryHeaderPresetsAndState) {
    TestEffect plug(5, 5, 0);
    plug.InitMixedParams();
    plug.Scramble(9);
    ByteChunk program, bank, state;
    ASSERT_TRUE(plug.SerializeHostChunk(&program, false));
    ASSERT_TRUE(plug.SerializeHostChunk(&bank, true));
    plug.SerializeState(&state);
    std::vector<uint8_t> expected(kHeader, kHeader + 8);
    const auto s = bytesOf(state);
    expected.insert(expected.end(), s.begin(), s.end());
    EXPECT_EQ(bytesOf(program), expected);
    EXPECT_EQ(bytesOf(bank), expected); // no presets: the same bytes

    TestEffect other(5, 5, 0);
    other.InitMixedParams();
    ASSERT_TRUE(other.UnserializeHostChunk(&bank, true));
    expectSameValues(plug, other);
    other.Scramble(10);
    ASSERT_TRUE(other.UnserializeHostChunk(&state, true)); // no header: one program state
    expectSameValues(plug, other);

    ByteChunk cut;
    cut.PutBytes(bank.GetData(), bank.Size() - 1);
    EXPECT_FALSE(other.UnserializeHostChunk(&cut, false));
    plug.failSerialize = true;
    EXPECT_FALSE(plug.SerializeHostChunk(&program, false));
}

TEST(StateChunk, BankChunkHoldsEveryPreset) {
    TestEffect a(6, 2, 3), b(6, 2, 3);
    a.InitMixedParams();
    b.InitMixedParams();
    a.Scramble(5);
    a.EnsureDefaultPreset();
    a.Scramble(6);
    ByteChunk bank;
    ASSERT_TRUE(a.SerializeHostChunk(&bank, true)); // the current preset takes the state first
    ASSERT_TRUE(b.UnserializeHostChunk(&bank, true));
    expectSameValues(a, b);
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(b.GetPresetName(i), "Empty");
}

#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using testsupport::TestEffect;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const ByteChunk& c) {
    return Bytes(c.GetData(), c.GetData() + c.Size());
}

std::vector<double> values(IEffectBase& p) {
    std::vector<double> v;
    for (int i = 0; i < p.NParams(); ++i)
        v.push_back(p.GetParam(i)->Value());
    return v;
}

const Bytes kHeader = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

} // namespace

TEST(StateChunk, HeaderIsTffpThenVersionOne) {
    TestEffect plug(1, 1);
    ByteChunk c;
    c.PutInt(12345);
    plug.InitChunkWithIEffectVer(&c);
    EXPECT_EQ(bytesOf(c), kHeader);
    int pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&c, &pos), 0x00010000);
    EXPECT_EQ(pos, 8);

    ByteChunk cut, other;
    cut.PutBytes(kHeader.data(), 6);
    other.PutInt(7);
    other.PutInt(7);
    // (chunk, start) → (version, position after): a chunk of another kind is left unread.
    const struct {
        ByteChunk* chunk;
        int pos, version, after;
    } cases[] = {{&cut, 0, 0, -1}, {&other, 0, 0, 0}, {&c, -1, 0, -1}};
    for (const auto& k : cases) {
        pos = k.pos;
        EXPECT_EQ(plug.GetIEffectVerFromChunk(k.chunk, &pos), k.version);
        EXPECT_EQ(pos, k.after);
    }
}

TEST(StateChunk, ParamsAreRawLittleEndianDoublesAndRoundTrip) {
    TestEffect plug(3, 1);
    plug.InitMixedParams(); // bool, int, enum
    plug.GetParam(0)->Set(1.0);
    plug.GetParam(1)->Set(-2.0);
    plug.GetParam(2)->Set(3.0);
    ByteChunk c;
    ASSERT_TRUE(plug.SerializeState(&c));
    EXPECT_EQ(bytesOf(c), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F,    // 1.0
                                 0, 0, 0, 0, 0, 0, 0x00, 0xC0,    // -2.0
                                 0, 0, 0, 0, 0, 0, 0x08, 0x40})); // 3.0

    // The plug-in's own size, with every parameter hidden and with some visible.
    constexpr int kParams = 18818;
    for (int hidden : {kParams, kParams - 1680}) {
        TestEffect a(kParams, hidden), b(kParams, hidden);
        a.InitMixedParams();
        b.InitMixedParams();
        a.Scramble(2024);
        ByteChunk all;
        ASSERT_TRUE(a.SerializeState(&all));
        EXPECT_EQ(all.Size(), kParams * 8);
        EXPECT_EQ(b.UnserializeState(&all, 0), all.Size());
        EXPECT_EQ(values(b), values(a));
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
    EXPECT_EQ(values(plug), (std::vector<double>{1.0, 0.0, 10.0, 1.0}));
    EXPECT_EQ(plug.UnserializeParams(&c, 16), -1);
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
    EXPECT_TRUE(plug.changes.empty() && plug.informs.empty());
    // More hidden values asked for than there are: only the hidden ones are read.
    ByteChunk four;
    for (int i = 0; i < 4; ++i)
        four.PutDouble(i);
    EXPECT_EQ(plug.UnserializeNonAutomatedParams(&four, 0, 9), 24);
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);

    TestEffect hidden(2, 2); // nothing visible: nothing written, nothing read
    ByteChunk none;
    EXPECT_TRUE(hidden.SerializeParams(&none));
    EXPECT_EQ(none.Size(), 0);
    EXPECT_EQ(hidden.UnserializeParams(&c, 12), 12);
}

TEST(StateChunk, PresetsAreNameFlagAndStateBytesAndRoundTrip) {
    TestEffect plug(2, 0, 2);
    plug.InitMixedParams();
    plug.MakeDefaultPreset("ab", 1); // preset 0 takes the current state
    ByteChunk c;
    ASSERT_TRUE(plug.SerializePresets(&c));
    Bytes expected = {2, 0, 0, 0, 'a', 'b', 1};
    for (double v : values(plug)) {
        const auto* d = reinterpret_cast<const uint8_t*>(&v);
        expected.insert(expected.end(), d, d + 8);
    }
    expected.insert(expected.end(), {5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0});
    EXPECT_EQ(bytesOf(c), expected);

    TestEffect a(30, 10, 4), b(30, 10, 4);
    a.InitMixedParams();
    b.InitMixedParams();
    for (const char* name : {"first", "", "third"}) { // an empty name stays empty
        a.Scramble(uint32_t(name[0]));
        a.MakeDefaultPreset(name, 1);
    }
    ByteChunk all;
    a.InitChunkWithIEffectVer(&all);
    ASSERT_TRUE(a.SerializePresets(&all) && a.SerializeState(&all));
    int pos = 0;
    ASSERT_EQ(b.GetIEffectVerFromChunk(&all, &pos), 0x00010000);
    pos = b.UnserializePresets(&all, pos);
    EXPECT_EQ(b.UnserializeState(&all, pos), all.Size());
    EXPECT_EQ(values(b), values(a));
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(b.GetPresetName(i), a.GetPresetName(i));
        ASSERT_TRUE(a.RestorePreset(i) && b.RestorePreset(i));
        EXPECT_EQ(values(b), values(a)) << i;
    }
    EXPECT_STREQ(b.GetPresetName(1), "");
}

TEST(StateChunk, PresetReadersRejectGarbage) {
    TestEffect plug(4, 0, 2);
    plug.MakeDefaultPreset("keep", 2);
    ByteChunk longer, negative, noFlag;
    longer.PutInt(1000); // a name longer than the chunk
    longer.PutBytes("ab", 2);
    negative.PutInt(-3);
    noFlag.PutStr("name");
    for (ByteChunk* bad : {&longer, &negative})
        EXPECT_EQ(plug.UnserializePresets(bad, 0), -1);
    EXPECT_STREQ(plug.GetPresetName(0), "keep");
    EXPECT_EQ(plug.UnserializePresets(&noFlag, 0), -1);

    ByteChunk longName; // cut to the field
    for (const std::string& name : {std::string(400, 'n'), std::string("x")}) {
        longName.PutStr(name.c_str());
        longName.PutBool(true);
        for (int i = 0; i < 4; ++i)
            longName.PutDouble(0.25 * i);
    }
    EXPECT_EQ(plug.UnserializePresets(&longName, 0), longName.Size());
    EXPECT_EQ(strlen(plug.GetPresetName(0)), 255u);

    TestEffect none(2, 0, 0);
    EXPECT_EQ(none.UnserializePresets(&longer, 8), 8);
    EXPECT_FALSE(none.RestorePreset(0));
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
    EXPECT_FALSE(plug.RestorePreset("nobody") || plug.RestorePreset("") || plug.RestorePreset(-1));
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
    const std::vector<double> expected[] = {{1, -7, 4}, {1, 12, 6}, {0, 9, 2}};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(plug.RestorePreset(i));
        EXPECT_EQ(values(plug), expected[i]) << i;
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
    EXPECT_EQ(Bytes(all.GetData() + all.Size() - 6, all.GetData() + all.Size()),
              (Bytes{0, 1, 2, 3, 0, 0}));

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
    Bytes expected = kHeader;
    const Bytes s = bytesOf(state);
    expected.insert(expected.end(), s.begin(), s.end());
    EXPECT_EQ(bytesOf(program), expected);
    EXPECT_EQ(bytesOf(bank), expected); // no presets: the same bytes

    TestEffect other(5, 5, 0);
    other.InitMixedParams();
    ASSERT_TRUE(other.UnserializeHostChunk(&bank, true));
    EXPECT_EQ(values(other), values(plug));
    other.Scramble(10);
    ASSERT_TRUE(other.UnserializeHostChunk(&state, true)); // no header: one program state
    EXPECT_EQ(values(other), values(plug));
    ByteChunk cut;
    cut.PutBytes(bank.GetData(), bank.Size() - 1);
    EXPECT_FALSE(other.UnserializeHostChunk(&cut, false));
    plug.failSerialize = true;
    EXPECT_FALSE(plug.SerializeHostChunk(&program, false));

    // A bank chunk holds every preset, the current one taking the state first.
    TestEffect a(6, 2, 3), b(6, 2, 3);
    a.InitMixedParams();
    b.InitMixedParams();
    a.Scramble(5);
    a.EnsureDefaultPreset();
    a.Scramble(6);
    ASSERT_TRUE(a.SerializeHostChunk(&bank, true));
    ASSERT_TRUE(b.UnserializeHostChunk(&bank, true));
    EXPECT_EQ(values(b), values(a));
    EXPECT_STREQ(b.GetPresetName(2), "Empty");
}

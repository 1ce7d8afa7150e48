// What the plug-in base keeps of its state: chunks for the host, presets, and program and bank
// files.

#include "kit/effect/IEffectBase.h"

#include "tests/support/BankFileGenerator.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using testsupport::readFile;
using testsupport::TestEffect;
using testsupport::TestGraphics;
using testsupport::writeFile;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const ByteChunk& c) {
    return Bytes(c.GetData(), c.GetData() + c.Size());
}

std::vector<double> values(const IEffectBase& p) {
    std::vector<double> v;
    for (int i = 0; i < p.NParams(); ++i)
        v.push_back(p.GetParam(i)->Value());
    return v;
}

const Bytes kHeader = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

uint32_t be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void setBE32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// The header fields of a program or bank record: magic, size, kind, version, plug-in id,
// plug-in version, count; then, for a program, its 28-byte name.
std::string header(const Bytes& f, size_t at = 0, bool program = true) {
    char s[128];
    const char* c = reinterpret_cast<const char*>(&f[at]);
    snprintf(s, sizeof s, "%.4s %u %.4s %u %.4s %u %u %.28s", c, be32(f, at + 4), c + 8,
             be32(f, at + 12), c + 16, be32(f, at + 20), be32(f, at + 24), program ? c + 28 : "");
    return s;
}

// A plug-in with an attached editor whose file panel answers with a file in the temporary folder.
struct Rig {
    Rig(int nParams, int nHidden, int nPresets, bool doesChunks, const char* name)
        : path(testing::TempDir() + name), plug(nParams, nHidden, nPresets, doesChunks),
          gui(new TestGraphics(&plug)) {
        plug.InitMixedParams();
        plug.AttachGraphics(gui);
        gui->answer = path;
    }
    // Stepped values come back exactly, doubles to single precision.
    void expectNear(const Rig& other) const {
        for (int i = 0; i < plug.NHostParams(); ++i) {
            const IParam* p = other.plug.GetParam(i);
            EXPECT_NEAR(plug.GetParam(i)->Value(), p->Value(),
                        p->Type() == kTypeDouble ? 1e-4 * (p->GetMax() - p->GetMin()) : 0.0)
                << i;
        }
    }
    std::string path;
    TestEffect plug;
    TestGraphics* gui; // owned by plug
};

// One field of a good file spoiled: a big-endian word at a byte offset.
struct Spoil {
    size_t at;
    uint32_t value;
    const char* why;
};

} // namespace

// ---- State chunks

TEST(StateChunk, HeaderThenRawLittleEndianDoubles) {
    TestEffect plug(3, 1);
    plug.InitMixedParams(); // bool, int, enum
    plug.GetParam(0)->Set(1.0);
    plug.GetParam(1)->Set(-2.0);
    plug.GetParam(2)->Set(3.0);
    ByteChunk c;
    c.PutInt(12345);
    plug.InitChunkWithIEffectVer(&c);
    ASSERT_TRUE(plug.SerializeState(&c));
    EXPECT_EQ(bytesOf(c), (Bytes{0x74, 0x66, 0x66, 0x70, 0, 0, 1,    0,       // "tffp", version 1
                                 0,    0,    0,    0,    0, 0, 0xF0, 0x3F,    // 1.0
                                 0,    0,    0,    0,    0, 0, 0x00, 0xC0,    // -2.0
                                 0,    0,    0,    0,    0, 0, 0x08, 0x40})); // 3.0
    int pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&c, &pos), 0x00010000);
    EXPECT_EQ(pos, 8);
    pos = -1;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&c, &pos), 0);
    ByteChunk cut, other; // a header cut short fails; a chunk of another kind is left unread
    cut.PutBytes(kHeader.data(), 6);
    other.PutInt(7);
    other.PutInt(7);
    pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&cut, &pos), 0);
    EXPECT_EQ(pos, -1);
    pos = 0;
    EXPECT_EQ(plug.GetIEffectVerFromChunk(&other, &pos), 0);
    EXPECT_EQ(pos, 0);

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

// ---- Presets

TEST(Presets, NameFlagAndStateBytesAndRoundTrip) {
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

TEST(Presets, ReadersRejectGarbage) {
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

TEST(Presets, RestoringAnUninitialisedPresetNamesItAsAUserPreset) {
    TestEffect plug(3, 0, 4);
    plug.MakeDefaultPreset("user preset 1", 1);
    plug.MakeDefaultPreset("my user preset", 1);
    EXPECT_TRUE(plug.RestorePreset(3));
    EXPECT_STREQ(plug.GetPresetName(3), "user preset 3");
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 3);
    EXPECT_TRUE(plug.RestorePreset("my user preset"));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
    EXPECT_FALSE(plug.RestorePreset("nobody") || plug.RestorePreset("") || plug.RestorePreset(-1));
    plug.failSerialize = true;
    EXPECT_FALSE(plug.RestorePreset(2));
}

TEST(Presets, MakersAndTheBlobDumpRoundTrip) {
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
    const std::string path = testing::TempDir() + "preset_blob.txt";
    plug.DumpPresetBlob(path.c_str());
    const Bytes dump = readFile(path);
    const std::string line(dump.begin(), dump.end());
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
}

// ---- Program and bank files

TEST(Fxp, ChunkFormLayoutAndRoundTrip) {
    Rig a(12, 4, 2, true, "chunk.fxp");
    a.plug.Scramble(3);
    a.plug.MakeDefaultPreset("Bright Pad", 1);
    ASSERT_TRUE(a.plug.SaveProgramAsFXP("start"));
    EXPECT_EQ(a.gui->lastAction, kFileSave);
    EXPECT_EQ(a.gui->lastExtensions, "fxp");
    const Bytes f = readFile(a.path);
    const uint32_t stateSize = 8 + 12 * 8; // header + every value, hidden ones too
    ASSERT_EQ(f.size(), 60 + stateSize);
    EXPECT_EQ(header(f), "CcnK 164 FPCh 1 vh3s 10007 8 Bright Pad");
    EXPECT_EQ(f[55], 0);
    EXPECT_EQ(be32(f, 56), stateSize);
    EXPECT_EQ(Bytes(f.begin() + 60, f.begin() + 68), kHeader);

    Rig b(12, 4, 2, true, "chunk.fxp");
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.gui->lastAction, kFileOpen);
    EXPECT_EQ(values(b.plug), values(a.plug));
    EXPECT_STREQ(b.plug.GetPresetName(0), "Bright Pad");
    EXPECT_EQ(b.plug.programChanges, 1);
    EXPECT_EQ(b.gui->lastDir, "");
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.gui->lastDir, testing::TempDir()); // the next prompt starts where the last ended
}

TEST(Fxp, ParameterFormStoresNormalisedSingles) {
    Rig a(10, 0, 1, false, "params.fxp");
    a.plug.Scramble(8);
    a.plug.GetParam(1)->Set(63.0); // the top of -64..63: normalised 1.0
    ASSERT_TRUE(a.plug.SaveProgramAsFXP(""));
    const Bytes f = readFile(a.path);
    ASSERT_EQ(f.size(), 56u + 10 * 4);
    EXPECT_EQ(header(f), "CcnK 0 FxCk 1 vh3s 10007 10 empty");
    EXPECT_EQ(be32(f, 56 + 4), 0x3F800000u);

    Rig b(10, 0, 1, false, "params.fxp");
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    b.expectNear(a);
    writeFile(b.path, Bytes(f.begin(), f.end() - 2)); // the last value cut
    EXPECT_FALSE(b.plug.LoadProgramFromFXP());
    Bytes nan = f; // a value outside 0..1, here not a number, is held to the range
    setBE32(nan, 56 + 3 * 4, 0x7FC00000);
    writeFile(b.path, nan);
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.plug.GetParam(3)->Value(), b.plug.GetParam(3)->GetMin());
}

TEST(Fxp, FilesThatDoNotFitAreRejectedAndChangeNothing) {
    Rig a(6, 2, 1, true, "bad.fxp");
    a.plug.Scramble(4);
    ASSERT_TRUE(a.plug.SaveProgramAsFXP(""));
    const Bytes good = readFile(a.path);
    Rig b(6, 2, 1, true, "bad.fxp");
    b.plug.Scramble(5);
    const std::vector<double> before = values(b.plug);
    auto expectRejected = [&](const Bytes& bytes, const char* why) {
        writeFile(b.path, bytes);
        EXPECT_FALSE(b.plug.LoadProgramFromFXP()) << why;
        EXPECT_EQ(values(b.plug), before) << why;
    };
    const Spoil fields[] = {{0, 0x58636E4B, "magic"},
                            {16, 0x12345678, "unique id"},
                            {24, 5, "parameter count"},
                            {12, 2, "version"},
                            {8, 0x46424368, "kind"},
                            {56, 0x7FFFFFF0, "state size beyond the file"},
                            {56, 0xFFFFFFF0, "negative state size"}};
    for (const auto& f : fields) {
        Bytes bad = good;
        setBE32(bad, f.at, f.value);
        expectRejected(bad, f.why);
    }
    expectRejected(Bytes(good.begin(), good.begin() + 20), "cut in the header");
    expectRejected(Bytes(good.begin(), good.end() - 8), "cut in the state");
    Bytes bad(good.begin(), good.begin() + 64);
    setBE32(bad, 56, 4);
    expectRejected(bad, "framework header cut short");
    b.gui->answer = "";
    EXPECT_FALSE(b.plug.LoadProgramFromFXP()); // cancelled
    b.gui->answer = b.path + ".missing";
    EXPECT_FALSE(b.plug.LoadProgramFromFXP());
    TestEffect noEditor(2, 0, 1);
    EXPECT_FALSE(noEditor.SaveProgramAsFXP("x"));
}

TEST(Fxb, ChunkFormLayoutAndRoundTrip) {
    Rig a(8, 8, 3, true, "chunk.fxb");
    for (int i = 0; i < 3; ++i) {
        a.plug.Scramble(uint32_t(40 + i));
        a.plug.MakeDefaultPreset(("Preset " + std::to_string(i)).c_str(), 1);
    }
    a.plug.RestorePreset(2);
    ASSERT_TRUE(a.plug.SaveBankAsFXB("bank"));
    EXPECT_EQ(a.gui->lastExtensions, "fxb");
    const Bytes f = readFile(a.path);
    ASSERT_GE(f.size(), 168u);
    EXPECT_EQ(header(f, 0, false), "CcnK " + std::to_string(f.size()) + " FBCh 2 vh3s 10007 3 ");
    EXPECT_EQ(be32(f, 28), 2u); // the current preset
    EXPECT_EQ(Bytes(f.begin() + 32, f.begin() + 156), Bytes(124, 0));
    EXPECT_EQ(be32(f, 156), f.size() - 160);
    EXPECT_EQ(Bytes(f.begin() + 160, f.begin() + 168), kHeader);

    Rig b(8, 8, 3, true, "chunk.fxb");
    ASSERT_TRUE(b.plug.LoadBankFromFXB());
    EXPECT_EQ(b.plug.programChanges, 1);
    for (int p = 0; p < 3; ++p) {
        EXPECT_STREQ(b.plug.GetPresetName(p), a.plug.GetPresetName(p));
        ASSERT_TRUE(a.plug.RestorePreset(p) && b.plug.RestorePreset(p));
        EXPECT_EQ(values(b.plug), values(a.plug));
    }
    Bytes bad = f; // the last preset's state cut short, the size telling the truth
    bad.resize(bad.size() - 3);
    setBE32(bad, 156, uint32_t(bad.size() - 160));
    writeFile(b.path, bad);
    EXPECT_FALSE(b.plug.LoadBankFromFXB());
    EXPECT_EQ(b.plug.programChanges, 1);
}

TEST(Fxb, ParameterFormRoundTripAndRejections) {
    Rig a(5, 0, 2, false, "params.fxb");
    a.plug.Scramble(11);
    a.plug.MakeDefaultPreset("one", 1);
    a.plug.Scramble(12);
    a.plug.MakeDefaultPreset("two", 1);
    ASSERT_TRUE(a.plug.SaveBankAsFXB(""));
    const Bytes f = readFile(a.path);
    const size_t record = 56 + 5 * 4;
    ASSERT_EQ(f.size(), 156 + 2 * record);
    EXPECT_EQ(header(f, 0, false), "CcnK 0 FxBk 2 vh3s 10007 2 ");
    EXPECT_EQ(header(f, 156 + record), "CcnK 0 FxCk 1 vh3s 10007 5 two");

    Rig b(5, 0, 2, false, "params.fxb");
    ASSERT_TRUE(b.plug.LoadBankFromFXB());
    for (int p = 0; p < 2; ++p) {
        a.plug.RestorePreset(p);
        b.plug.RestorePreset(p);
        EXPECT_STREQ(b.plug.GetPresetName(p), a.plug.GetPresetName(p));
        b.expectNear(a);
    }

    // A bad bank is refused before any of its records is applied.
    Rig c(5, 0, 2, false, "params.fxb");
    c.plug.MakeDefaultPreset("untouched", 2);
    auto expectRejected = [&](const Bytes& bytes, const char* why) {
        writeFile(c.path, bytes);
        EXPECT_FALSE(c.plug.LoadBankFromFXB()) << why;
        EXPECT_STREQ(c.plug.GetPresetName(0), "untouched") << why;
    };
    const Spoil fields[] = {{24, 3, "more programs than records"},
                            {24, 0xFFFFFFFF, "negative count"},
                            {156 + record + 8, 0x46504368, "second record of the wrong kind"},
                            {156 + record + 24, 4, "record with another parameter count"},
                            {16, 0, "unique id"}};
    for (const auto& field : fields) {
        Bytes bad = f;
        setBE32(bad, field.at, field.value);
        expectRejected(bad, field.why);
    }
    expectRejected(Bytes(f.begin(), f.end() - 1), "last record cut");
    Bytes three = f;
    three.insert(three.end(), f.end() - long(record), f.end());
    setBE32(three, 24, 3);
    expectRejected(three, "more programs than presets");
    expectRejected(Bytes(f.begin(), f.begin() + 100), "cut in the header");
}

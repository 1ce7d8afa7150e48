#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void setBE32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

std::string text(const Bytes& b, size_t at) {
    return std::string(reinterpret_cast<const char*>(&b[at]));
}

// The seven header fields of a program or bank record: magic, size, kind, version, plug-in id,
// plug-in version, count.
std::string header(const Bytes& f, size_t at = 0) {
    char s[96];
    const char* c = reinterpret_cast<const char*>(&f[at]);
    snprintf(s, sizeof s, "%.4s %u %.4s %u %.4s %u %u", c, be32(f, at + 4), c + 8, be32(f, at + 12),
             c + 16, be32(f, at + 20), be32(f, at + 24));
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
    std::vector<double> values() const {
        std::vector<double> v;
        for (int i = 0; i < plug.NHostParams(); ++i)
            v.push_back(plug.GetParam(i)->Value());
        return v;
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

TEST(Fxp, ChunkFormLayoutAndRoundTrip) {
    Rig a(12, 4, 2, true, "chunk.fxp");
    a.plug.Scramble(3);
    a.plug.MakeDefaultPreset("Bright Pad", 1);
    ASSERT_TRUE(a.plug.SaveProgramAsFXP("start"));
    EXPECT_EQ(a.gui->lastAction, kFileSave);
    EXPECT_EQ(a.gui->lastExtensions, "fxp");
    const Bytes f = readAll(a.path);
    const uint32_t stateSize = 8 + 12 * 8; // header + every value, hidden ones too
    ASSERT_EQ(f.size(), 60 + stateSize);
    EXPECT_EQ(header(f), "CcnK 164 FPCh 1 vh3s 10007 8");
    EXPECT_EQ(text(f, 28), "Bright Pad");
    EXPECT_EQ(f[55], 0);
    EXPECT_EQ(be32(f, 56), stateSize);
    EXPECT_EQ(text(f, 60).substr(0, 4), "tffp");

    Rig b(12, 4, 2, true, "chunk.fxp");
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.gui->lastAction, kFileOpen);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(b.plug.GetParam(i)->Value(), a.plug.GetParam(i)->Value());
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
    const Bytes f = readAll(a.path);
    ASSERT_EQ(f.size(), 56u + 10 * 4);
    EXPECT_EQ(header(f), "CcnK 0 FxCk 1 vh3s 10007 10");
    EXPECT_EQ(be32(f, 56 + 4), 0x3F800000u);

    Rig b(10, 0, 1, false, "params.fxp");
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    b.expectNear(a);
    writeAll(b.path, Bytes(f.begin(), f.end() - 2)); // the last value cut
    EXPECT_FALSE(b.plug.LoadProgramFromFXP());
    Bytes nan = f; // a value outside 0..1, here not a number, is held to the range
    setBE32(nan, 56 + 3 * 4, 0x7FC00000);
    writeAll(b.path, nan);
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.plug.GetParam(3)->Value(), b.plug.GetParam(3)->GetMin());
}

TEST(Fxp, FilesThatDoNotFitAreRejectedAndChangeNothing) {
    Rig a(6, 2, 1, true, "bad.fxp");
    a.plug.Scramble(4);
    ASSERT_TRUE(a.plug.SaveProgramAsFXP(""));
    const Bytes good = readAll(a.path);
    Rig b(6, 2, 1, true, "bad.fxp");
    b.plug.Scramble(5);
    const std::vector<double> before = b.values();
    auto expectRejected = [&](const Bytes& bytes, const char* why) {
        writeAll(b.path, bytes);
        EXPECT_FALSE(b.plug.LoadProgramFromFXP()) << why;
        EXPECT_EQ(b.values(), before) << why;
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
    expectRejected(Bytes(good.begin(), good.begin() + 40), "cut in the header");
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
    const Bytes f = readAll(a.path);
    ASSERT_GE(f.size(), 168u);
    EXPECT_EQ(header(f), "CcnK " + std::to_string(f.size()) + " FBCh 2 vh3s 10007 3");
    EXPECT_EQ(be32(f, 28), 2u); // the current preset
    EXPECT_EQ(Bytes(f.begin() + 32, f.begin() + 156), Bytes(124, 0));
    EXPECT_EQ(be32(f, 156), f.size() - 160);
    EXPECT_EQ(text(f, 160).substr(0, 4), "tffp");

    Rig b(8, 8, 3, true, "chunk.fxb");
    ASSERT_TRUE(b.plug.LoadBankFromFXB());
    EXPECT_EQ(b.plug.programChanges, 1);
    for (int p = 0; p < 3; ++p) {
        EXPECT_STREQ(b.plug.GetPresetName(p), a.plug.GetPresetName(p));
        ASSERT_TRUE(a.plug.RestorePreset(p) && b.plug.RestorePreset(p));
        EXPECT_EQ(b.values(), a.values());
    }

    Bytes bad = f; // a chunk size beyond the file
    setBE32(bad, 156, uint32_t(f.size()));
    writeAll(b.path, bad);
    EXPECT_FALSE(b.plug.LoadBankFromFXB());
    bad = f; // the last preset's state cut short, the size telling the truth
    bad.resize(bad.size() - 3);
    setBE32(bad, 156, uint32_t(bad.size() - 160));
    writeAll(b.path, bad);
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
    const Bytes f = readAll(a.path);
    const size_t record = 56 + 5 * 4;
    ASSERT_EQ(f.size(), 156 + 2 * record);
    EXPECT_EQ(header(f), "CcnK 0 FxBk 2 vh3s 10007 2");
    EXPECT_EQ(header(f, 156 + record), "CcnK 0 FxCk 1 vh3s 10007 5");
    EXPECT_EQ(text(f, 156 + record + 28), "two");

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
        writeAll(c.path, bytes);
        EXPECT_FALSE(c.plug.LoadBankFromFXB()) << why;
        EXPECT_STREQ(c.plug.GetPresetName(0), "untouched") << why;
    };
    const Spoil fields[] = {{24, 3, "more programs than presets"},
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
    expectRejected(Bytes(f.begin(), f.begin() + 100), "cut in the header");
}

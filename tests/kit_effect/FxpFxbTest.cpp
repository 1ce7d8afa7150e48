#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void setBE32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

std::string tag(const std::vector<uint8_t>& b, size_t at) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), 4);
}

// A plug-in with an attached editor whose file panel answers with path.
struct Rig {
    Rig(int nParams, int nHidden, int nPresets, bool doesChunks, const std::string& path)
        : plug(nParams, nHidden, nPresets, doesChunks), gui(new TestGraphics(&plug)) {
        plug.InitMixedParams();
        plug.AttachGraphics(gui);
        gui->answer = path;
    }
    TestEffect plug;
    TestGraphics* gui; // owned by plug
};

std::string tempPath(const char* name) {
    return testing::TempDir() + name;
}

// One field of a good file spoiled: a big-endian word at a byte offset.
struct Spoil {
    size_t at;
    uint32_t value;
    const char* why;
};

} // namespace

TEST(Fxp, ChunkFormLayoutAndRoundTrip) {
    const std::string path = tempPath("chunk.fxp");
    Rig a(12, 4, 2, true, path);
    a.plug.Scramble(3);
    a.plug.MakeDefaultPreset("Bright Pad", 1);
    ASSERT_TRUE(a.plug.SaveProgramAsFXP("start"));
    EXPECT_EQ(a.gui->lastAction, kFileSave);
    EXPECT_EQ(a.gui->lastExtensions, "fxp");

    const auto f = readAll(path);
    const uint32_t stateSize = 8 + 12 * 8; // header + every value
    ASSERT_EQ(f.size(), 60 + stateSize);
    EXPECT_EQ(tag(f, 0), "CcnK");
    EXPECT_EQ(be32(f, 4), 60 + stateSize);
    EXPECT_EQ(tag(f, 8), "FPCh");
    EXPECT_EQ(be32(f, 12), 1u);
    EXPECT_EQ(tag(f, 16), "vh3s");
    EXPECT_EQ(be32(f, 20), 10007u);
    EXPECT_EQ(be32(f, 24), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[28])), "Bright Pad");
    EXPECT_EQ(f[55], 0);
    EXPECT_EQ(be32(f, 56), stateSize);
    EXPECT_EQ(tag(f, 60), "tffp");

    Rig b(12, 4, 2, true, path);
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.gui->lastAction, kFileOpen);
    EXPECT_EQ(b.gui->lastDir, "");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(b.plug.GetParam(i)->Value(), a.plug.GetParam(i)->Value());
    EXPECT_STREQ(b.plug.GetPresetName(0), "Bright Pad");
    EXPECT_EQ(b.plug.programChanges, 1);
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.gui->lastDir, testing::TempDir()); // the next prompt starts where the last ended
}

TEST(Fxp, ParameterFormStoresNormalisedSingles) {
    const std::string path = tempPath("params.fxp");
    Rig a(10, 0, 1, false, path);
    a.plug.Scramble(8);
    a.plug.GetParam(1)->Set(63.0); // the top of -64..63: normalised 1.0
    ASSERT_TRUE(a.plug.SaveProgramAsFXP(""));
    const auto f = readAll(path);
    ASSERT_EQ(f.size(), 56u + 10 * 4);
    EXPECT_EQ(be32(f, 4), 0u);
    EXPECT_EQ(tag(f, 8), "FxCk");
    EXPECT_EQ(be32(f, 24), 10u);
    EXPECT_EQ(be32(f, 56 + 4), 0x3F800000u);

    Rig b(10, 0, 1, false, path);
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    for (int i = 0; i < 10; ++i) {
        const IParam* p = a.plug.GetParam(i);
        // Stepped values come back exactly; doubles to single precision.
        EXPECT_NEAR(b.plug.GetParam(i)->Value(), p->Value(),
                    p->Type() == kTypeDouble ? 1e-4 * (p->GetMax() - p->GetMin()) : 0.0)
            << i;
    }

    auto cut = f;
    cut.resize(f.size() - 2);
    writeAll(path, cut);
    EXPECT_FALSE(b.plug.LoadProgramFromFXP());
    auto nan = f; // a value outside 0..1, here not a number, is held to the range
    setBE32(nan, 56 + 3 * 4, 0x7FC00000);
    writeAll(path, nan);
    ASSERT_TRUE(b.plug.LoadProgramFromFXP());
    EXPECT_EQ(b.plug.GetParam(3)->Value(), b.plug.GetParam(3)->GetMin());
}

TEST(Fxp, FilesThatDoNotFitAreRejected) {
    const std::string path = tempPath("bad.fxp");
    Rig a(6, 2, 1, true, path);
    a.plug.Scramble(4);
    ASSERT_TRUE(a.plug.SaveProgramAsFXP(""));
    const auto good = readAll(path);

    Rig b(6, 2, 1, true, path);
    b.plug.Scramble(5);
    std::vector<double> before;
    for (int i = 0; i < 6; ++i)
        before.push_back(b.plug.GetParam(i)->Value());
    auto expectRejected = [&](std::vector<uint8_t> bytes, const char* why) {
        writeAll(path, bytes);
        EXPECT_FALSE(b.plug.LoadProgramFromFXP()) << why;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(b.plug.GetParam(i)->Value(), before[size_t(i)]) << why;
    };
    const Spoil fields[] = {{0, 0x58636E4B, "magic"},
                            {16, 0x12345678, "unique id"},
                            {24, 5, "parameter count"},
                            {12, 2, "version"},
                            {8, 0x46424368, "kind"},
                            {56, 0x7FFFFFF0, "state size beyond the file"},
                            {56, 0xFFFFFFF0, "negative state size"}};
    for (const auto& f : fields) {
        auto bad = good;
        setBE32(bad, f.at, f.value);
        expectRejected(bad, f.why);
    }
    expectRejected(std::vector<uint8_t>(good.begin(), good.begin() + 40), "cut in the header");
    expectRejected(std::vector<uint8_t>(good.begin(), good.end() - 8), "cut in the state");
    auto bad = std::vector<uint8_t>(good.begin(), good.begin() + 64);
    setBE32(bad, 56, 4);
    expectRejected(bad, "framework header cut short");

    b.gui->answer = "";
    EXPECT_FALSE(b.plug.LoadProgramFromFXP()); // cancelled
    b.gui->answer = tempPath("no/such/file.fxp");
    EXPECT_FALSE(b.plug.LoadProgramFromFXP());
    TestEffect noEditor(2, 0, 1);
    EXPECT_FALSE(noEditor.SaveProgramAsFXP("x"));
}

TEST(Fxb, ChunkFormLayoutAndRoundTrip) {
    const std::string path = tempPath("chunk.fxb");
    Rig a(8, 8, 3, true, path);
    for (int i = 0; i < 3; ++i) {
        a.plug.Scramble(uint32_t(40 + i));
        a.plug.MakeDefaultPreset(("Preset " + std::to_string(i)).c_str(), 1);
    }
    a.plug.RestorePreset(2);
    ASSERT_TRUE(a.plug.SaveBankAsFXB("bank"));
    EXPECT_EQ(a.gui->lastExtensions, "fxb");
    const auto f = readAll(path);
    ASSERT_GE(f.size(), 168u);
    EXPECT_EQ(tag(f, 0), "CcnK");
    EXPECT_EQ(be32(f, 4), f.size());
    EXPECT_EQ(tag(f, 8), "FBCh");
    EXPECT_EQ(be32(f, 12), 2u);
    EXPECT_EQ(tag(f, 16), "vh3s");
    EXPECT_EQ(be32(f, 24), 3u);
    EXPECT_EQ(be32(f, 28), 2u);
    for (size_t i = 32; i < 156; ++i)
        ASSERT_EQ(f[i], 0) << i;
    EXPECT_EQ(be32(f, 156), f.size() - 160);
    EXPECT_EQ(tag(f, 160), "tffp");

    Rig b(8, 8, 3, true, path);
    ASSERT_TRUE(b.plug.LoadBankFromFXB());
    EXPECT_EQ(b.plug.programChanges, 1);
    for (int p = 0; p < 3; ++p) {
        EXPECT_STREQ(b.plug.GetPresetName(p), a.plug.GetPresetName(p));
        ASSERT_TRUE(a.plug.RestorePreset(p));
        ASSERT_TRUE(b.plug.RestorePreset(p));
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(b.plug.GetParam(i)->Value(), a.plug.GetParam(i)->Value());
    }

    auto bad = f; // a chunk size beyond the file
    setBE32(bad, 156, uint32_t(f.size()));
    writeAll(path, bad);
    EXPECT_FALSE(b.plug.LoadBankFromFXB());
    bad = f; // the last preset's state cut short, the size telling the truth
    bad.resize(bad.size() - 3);
    setBE32(bad, 156, uint32_t(bad.size() - 160));
    writeAll(path, bad);
    EXPECT_FALSE(b.plug.LoadBankFromFXB());
    EXPECT_EQ(b.plug.programChanges, 1);
}

TEST(Fxb, ParameterFormRoundTripAndRejections) {
    const std::string path = tempPath("params.fxb");
    Rig a(5, 0, 2, false, path);
    a.plug.Scramble(11);
    a.plug.MakeDefaultPreset("one", 1);
    a.plug.Scramble(12);
    a.plug.MakeDefaultPreset("two", 1);
    ASSERT_TRUE(a.plug.SaveBankAsFXB(""));
    const auto f = readAll(path);
    const size_t record = 56 + 5 * 4;
    ASSERT_EQ(f.size(), 156 + 2 * record);
    EXPECT_EQ(tag(f, 8), "FxBk");
    EXPECT_EQ(tag(f, 156), "CcnK");
    EXPECT_EQ(tag(f, 156 + 8), "FxCk");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[156 + record + 28])), "two");

    Rig b(5, 0, 2, false, path);
    ASSERT_TRUE(b.plug.LoadBankFromFXB());
    for (int p = 0; p < 2; ++p) {
        a.plug.RestorePreset(p);
        b.plug.RestorePreset(p);
        EXPECT_STREQ(b.plug.GetPresetName(p), a.plug.GetPresetName(p));
        for (int i = 0; i < 5; ++i) {
            const IParam* q = a.plug.GetParam(i);
            EXPECT_NEAR(b.plug.GetParam(i)->Value(), q->Value(),
                        q->Type() == kTypeDouble ? 1e-4 * (q->GetMax() - q->GetMin()) : 0.0);
        }
    }

    Rig c(5, 0, 2, false, path);
    c.plug.MakeDefaultPreset("untouched", 2);
    auto expectRejected = [&](std::vector<uint8_t> bytes, const char* why) {
        writeAll(path, bytes);
        EXPECT_FALSE(c.plug.LoadBankFromFXB()) << why;
        EXPECT_STREQ(c.plug.GetPresetName(0), "untouched") << why;
    };
    const Spoil fields[] = {{24, 3, "more programs than presets"},
                            {24, 0xFFFFFFFF, "negative count"},
                            {156 + record + 8, 0x46504368, "second record of the wrong kind"},
                            {156 + record + 24, 4, "record with another parameter count"},
                            {16, 0, "unique id"}};
    for (const auto& field : fields) {
        auto bad = f;
        setBE32(bad, field.at, field.value);
        expectRejected(bad, field.why);
    }
    expectRejected(std::vector<uint8_t>(f.begin(), f.end() - 1), "last record cut");
    expectRejected(std::vector<uint8_t>(f.begin(), f.begin() + 100), "cut in the header");
}

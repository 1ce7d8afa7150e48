// The plug-in's state block in the host's project chunk: its names as stored and read back,
// restore and save giving the same bytes, and damaged chunks that change nothing.

#include "tests/core/SendRig.h"

#include "src/core/PatchManager.h"

#include <cstring>

using namespace coretest;

namespace {

ByteChunk chunkOf(Zoz& plug) {
    ByteChunk chunk;
    plug.SerializeState2(&chunk, true);
    return chunk;
}

Bytes bytesOf(const ByteChunk& chunk) {
    return Bytes(chunk.GetData(), chunk.GetData() + chunk.Size());
}

ByteChunk chunkFrom(const Bytes& bytes) {
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), int(bytes.size()));
    return chunk;
}

int32_t intAt(const Bytes& b, size_t at) {
    int32_t v = 0;
    memcpy(&v, &b[at], 4);
    return v;
}

void putIntAt(Bytes& b, size_t at, int32_t v) {
    memcpy(&b[at], &v, 4);
}

// Where each field of a full block begins, read independently of the plug-in's reader: the
// head, the patch-manager block's head and snapshot, each name's length and text, the four
// selections, the hidden values and the end.
std::vector<size_t> fieldStarts(const Bytes& b) {
    std::vector<size_t> starts = {0, 4, 12, 20, 24, 28, 32};
    const size_t length = size_t(b[28]) << 24 | size_t(b[29]) << 16 | size_t(b[30]) << 8 | b[31];
    size_t at = 32 + length;
    for (int slot = 0; slot < PatchManager::kStoredNames; ++slot) {
        starts.push_back(at);
        starts.push_back(at + 4);
        at += 4 + size_t(intAt(b, at));
    }
    for (int i = 0; i < 5; ++i)
        starts.push_back(at + 8 * size_t(i));
    starts.push_back(b.size());
    return starts;
}

std::string storedName(const Bytes& b, int slot) {
    const size_t at = fieldStarts(b)[7 + 2 * size_t(slot)];
    return std::string(b.begin() + long(at) + 4, b.begin() + long(at) + 4 + intAt(b, at));
}

// The plug-in with a few hidden values, names and an output chosen (no port behind it).
struct ProjectChunk : SendRig {
    void SetUp() override {
        keepLog();
        SendRig::SetUp();
        // Device menus of two entries whatever the MIDI system holds; the second has no text.
        for (int device : {kDeviceInSelection, kDeviceOutSelection}) {
            plug->GetParam(device)->InitEnum("Device", 0, 2);
            plug->GetParam(device)->ResetDisplayTexts();
            plug->GetParam(device)->SetDisplayText(0, "Select MIDI Device");
            plug->GetParam(device)->SetDisplayText(1, "");
        }
        set(kFilter1Cutoff + 3, 77);
        set(kMultiPartPatch + 15, 42);
        set(kQuickTab, 5);
        PatchManager& names = *plug->getPatchManager();
        names.setName(1, "Twenty characters!!!");
        names.setName(19, "Bass");
        names.setName(35, "Pad");
    }
};

} // namespace

TEST_F(ProjectChunk, NamesAreStoredAtTheirWidthsAndComeBackTheSame) {
    const Bytes saved = bytesOf(chunkOf(*plug));
    const std::vector<size_t> starts = fieldStarts(saved);
    const auto name = [&](int slot) { return storedName(saved, slot); };
    EXPECT_EQ(Bytes(saved.begin() + 20, saved.begin() + 32),
              (Bytes{0, 0, 0, 1, 0, 0, 0, 1, 0x00, 0x02, 0x37, 0xE4})); // L = 145,380
    EXPECT_EQ(starts[7], 32u + 145380u);
    EXPECT_EQ(name(1), "Twenty character");
    EXPECT_EQ(intAt(saved, starts[7 + 2 * 19]), 4);
    EXPECT_EQ(name(19), "Bass");
    EXPECT_EQ(name(35), "Pad");
    EXPECT_EQ(name(18), "Select MIDI Device");
    EXPECT_EQ(saved.size(), starts[7 + 2 * 51] + 32 + 18170 * 8);

    auto other = start();
    ByteChunk chunk = chunkFrom(saved);
    ASSERT_EQ(other->UnserializeState2(&chunk, 0, true), int(saved.size()));
    PatchManager& names = *other->getPatchManager();
    EXPECT_EQ(names.getName(35), std::string("Pad") + std::string(13, '\0'));
    // A part's category comes back too: the restore sends it to the synthesizer.
    EXPECT_EQ(names.getName(19), "Bass");
    EXPECT_STREQ(other->GetParam(kCategoryName + 0)->GetDisplayText(0), "Bass");
    EXPECT_STREQ(other->GetParam(kPatchName + 0)->GetDisplayText(0), "Twenty character");
    EXPECT_EQ(other->GetParam(kFilter1Cutoff + 3)->Value(), 77);
    EXPECT_EQ(other->getSelectedPart(), 5);
    EXPECT_EQ(bytesOf(chunkOf(*other)), saved);
}

// Nothing of a damaged chunk is applied: no parameter, name or port changes and the output
// that was chosen stays chosen.
TEST_F(ProjectChunk, DamagedChunksChangeNothing) {
    set(kDeviceOutSelection, 1);
    const Bytes saved = bytesOf(chunkOf(*plug));
    set(kFilter1Cutoff + 3, 10);
    set(kQuickTab, 1);
    const Bytes before = bytesOf(chunkOf(*plug));
    const auto refused = [&](const Bytes& bytes) {
        ByteChunk chunk = chunkFrom(bytes);
        return plug->UnserializeState2(&chunk, 0, true) == -1;
    };
    const auto unchanged = [&] {
        return plug->isMIDIIOSet() && value(kDeviceOutSelection) == 1 &&
               value(kQuickTab) == 1 && value(kFilter1Cutoff + 3) == 10 && out.count() == 0;
    };
    for (size_t start : fieldStarts(saved))
        for (int d = -8; d <= 8; ++d) {
            const long cut = long(start) + d;
            if (cut < 0 || cut >= long(saved.size())) continue;
            ASSERT_TRUE(refused(Bytes(saved.begin(), saved.begin() + cut))) << cut;
            ASSERT_EQ(bytesOf(chunkOf(*plug)), before) << cut;
        }
    for (size_t cut = 0; cut <= 4096; ++cut)
        ASSERT_TRUE(refused(Bytes(saved.begin(), saved.begin() + long(cut))) && unchanged()) << cut;

    // A snapshot one byte longer than the chunk holds (00 02 37 E5), a negative name length.
    for (const auto& [at, length] : {std::pair<size_t, int32_t>{28, int32_t(0xE5370200)},
                                     {fieldStarts(saved)[7], -1}}) {
        Bytes bad = saved;
        putIntAt(bad, at, length);
        EXPECT_TRUE(refused(bad) && unchanged()) << at;
    }
    EXPECT_EQ(bytesOf(chunkOf(*plug)), before);
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PROJECT RECALL: chunk too short"),
              lines.end());
}

// An output entry without text is stored as "Set Name", which names no port: the port closes,
// nothing is sent, and the hidden values and names still come back so that the next save keeps
// the project.
TEST_F(ProjectChunk, WithoutTheOutputTheStateComesBackAndNothingIsSent) {
    set(kDeviceOutSelection, 1);
    const Bytes saved = bytesOf(chunkOf(*plug));
    EXPECT_EQ(storedName(saved, 18), "Set Name");
    set(kFilter1Cutoff + 3, 10);
    plug->getPatchManager()->setName(1, "Other");
    ByteChunk chunk = chunkFrom(saved);
    ASSERT_EQ(plug->UnserializeState2(&chunk, 0, true), int(saved.size()));
    EXPECT_FALSE(plug->isMIDIIOSet());
    EXPECT_EQ(value(kDeviceOutSelection), 0);
    EXPECT_EQ(value(kDeviceInSelection), 0);
    EXPECT_EQ(value(kFilter1Cutoff + 3), 77);
    EXPECT_EQ(value(kMultiPartPatch + 15), 42);
    EXPECT_STREQ(plug->GetParam(kPatchName)->GetDisplayText(0), "Twenty character");
    EXPECT_EQ(out.count(), 0u);
    EXPECT_FALSE(plug->isRecallRunning());
}

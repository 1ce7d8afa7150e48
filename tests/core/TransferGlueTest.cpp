#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "tests/support/ScaledClock.h"

#include <algorithm>
#include <functional>
#include <thread>

using namespace coretest;

namespace {

// The dump worker stays in its first pause while `hold` is set; the test thread never waits.
struct TransferGlue : SendRig {
    std::atomic<bool> hold{false};
    const std::thread::id self = std::this_thread::get_id();
    testsupport::ManualClock clock{1000000};

    void SetUp() override {
        SendRig::SetUp();
        clock.SetSleepHook([this](int64_t) {
            while (hold && std::this_thread::get_id() != self)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    void TearDown() override {
        hold = false;
        idle();
        SendRig::TearDown();
    }
    void idle() {
        while (plug->ThreadRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    MIDIMessageManager& manager() { return *plug->getMessageManager(); }
    bool grayed(ControlLayer* layer) { return layer->getControls().Get(0)->IsGrayed(); }
    // Busy, gate, sounds, global, pattern.
    std::vector<bool> flags() {
        return {plug->isArrangementBusy(), plug->isIncomingGated(), plug->isBatch(),
                plug->isGlobalFirst(), plug->isPatternToo()};
    }
};

} // namespace

TEST_F(TransferGlue, TheLibrariansKindOfDataChoosesTheOneArmedCollection) {
    LibrarianRequest* requests[] = {&manager().patchRequest, &manager().performanceRequest,
                                    &manager().patternRequest};
    for (int mode = 0; mode < 3; ++mode) {
        plug->setMultiMode(mode == 1);
        plug->setSequenceMode(mode == 2);
        for (bool toLibrarian : {true, false}) {
            for (LibrarianRequest* r : requests) r->active = true;
            manager().answerReceived = true;
            plug->SetLibrarianRequestActive(toLibrarian);
            for (int r = 0; r < 3; ++r) EXPECT_EQ(requests[r]->active, toLibrarian && r == mode);
            EXPECT_EQ(manager().dumpAwaited, !toLibrarian);
            EXPECT_FALSE(manager().answerReceived);
            EXPECT_FALSE(plug->isAnswerReceived());
        }
    }
}

TEST_F(TransferGlue, AnArrangementSendChangesItsFlagsOnlyWhenItIsPosted) {
    hold = true;
    plug->patternSendFlag() = true;
    plug->sendPatchAndPatternToDevice(0, true, true, false, false);
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, false, false, false}));
    plug->patternSendFlag() = true;
    plug->sendPatchAndPatternToDevice(0, true, false, true, true);
    ASSERT_TRUE(plug->ThreadRunning());
    // The gate ends after the pause; the job reads the pattern flag later and clears it.
    EXPECT_EQ(flags(), (std::vector<bool>{true, false, false, true, true}));
    plug->sendPatchAndPatternToDevice(0, true, true, false, true);
    EXPECT_EQ(flags(), (std::vector<bool>{true, false, false, true, false}));
    hold = false;
    idle();
    EXPECT_FALSE(plug->isArrangementBusy());
}

TEST_F(TransferGlue, ALockedSectionSendsThePartBack) {
    plug->sendPartDataBackToHardware(5);
    idle();
    EXPECT_TRUE(sent().empty());
    const std::pair<int, int> locks[] = {{kSectionLockFX2, 5}, {kSectionLockMod4, 15}};
    for (const auto& [lock, part] : locks) {
        set(lock + part, 1.0);
        plug->sendPartDataBackToHardware(part);
        idle();
        const std::vector<Bytes> wire = sent();
        ASSERT_EQ(wire.size(), 1u);
        EXPECT_EQ(wire[0][6], part);
        set(lock + part, 0.0);
    }
}

TEST_F(TransferGlue, TheOverlaysCancelButtonAndGrayingFollowThePageAndTheMode) {
    const KIT_PtrList<IControl>& overlay = plug->progressLayerOf()->getControls();
    ControlLayer* categoryLimit = plug->namedLayer("categoryLimit");
    ControlLayer* searchField = plug->namedLayer("searchField");
    IControl* search = plug->keptControl(kPatchSearch);
    const struct {
        int tab;
        bool multi, searching;
    } cases[] = {{1, false, false}, {1, false, true}, {1, true, false}, {0, false, false}};
    for (const auto& c : cases) {
        set(kMainTab, c.tab);
        set(kPatchSearch, c.searching);
        plug->setMultiMode(c.multi);
        searchField->Hide(true);
        plug->DisplayProcessingIndicator(true);
        EXPECT_EQ(overlay.Get(1)->IsHidden() * 2 + overlay.Get(2)->IsHidden(), c.tab ? 1 : 2);
        EXPECT_EQ(search->IsGrayed(), c.tab == 1);
        plug->setArrangementSendFlags(true, false, false);
        plug->DisplayProcessingIndicator(false);
        EXPECT_FALSE(plug->progressLayerOf()->isVisible() || plug->isArrangementBusy() ||
                     plug->isIncomingGated());
        // The filters as before: at hand with sounds, the search field shown while searching.
        EXPECT_EQ(grayed(searchField), c.multi);
        EXPECT_EQ(searchField->isVisible(), c.searching);
        EXPECT_EQ(grayed(categoryLimit), c.multi);
        EXPECT_EQ(search->IsGrayed(), c.multi);
        searchField->GrayOut(false), categoryLimit->GrayOut(false), search->GrayOut(false);
    }
}

TEST_F(TransferGlue, AnUnsavedBankHidesTheChooserOfItsKindAndSaysWhatCame) {
    const struct {
        bool multi, pattern;
        int chooserRow;
        const char* text;
    } cases[] = {{false, false, 0, "Program received to slot(s)"},
                 {true, true, 2, "Multi received to slot(s)"},
                 {false, true, 11, "Pattern received to slot(s)"}};
    plug->SetLibrarianStatusUnsaved(false);
    EXPECT_EQ(value(kBankEditUnsaved), 0.0);
    for (const auto& c : cases) {
        plug->setMultiMode(c.multi);
        plug->setSequenceMode(c.pattern);
        plug->popupMenuLayer(c.chooserRow)->Hide(false);
        set(kDiscardBankData, 1);
        manager().patchRequest.active = true;
        plug->SetLibrarianStatusUnsaved(true);
        EXPECT_EQ(line(kControlDisplayName), c.text);
        EXPECT_FALSE(plug->popupMenuLayer(c.chooserRow)->isVisible());
        EXPECT_EQ(value(kBankEditUnsaved) - value(kDiscardBankData), 1.0);
        EXPECT_FALSE(manager().patchRequest.active);
        EXPECT_TRUE(plug->namedLayer("discardChangesLayerRight")->isVisible() &&
                    !plug->namedLayer("keepBankOpenLayer")->isVisible());
    }
    // Storing a bank without an output only resets the target slot.
    plug->setMIDIIOSet(false);
    plug->getLibrarian()->upperSlotIndex = 42;
    plug->SendAllProgramsFromLibrarian(2);
    EXPECT_EQ(plug->getLibrarian()->upperSlotIndex, 0);
    EXPECT_FALSE(plug->ThreadRunning());
}

// The menus and slot menus start librarian requests through these entries; with no bank of
// the kind each answer would be dropped while the job waits out every slot.
TEST_F(TransferGlue, ALibrarianRequestWithNoBankToStoreIntoIsRefusedBeforeAnythingIsSent) {
    hold = true; // a started job would stay in its first pause
    const auto post = [this](int code, bool toEditor) {
        plug->postJob(code, [this, toEditor](SenderJob& job) {
            plug->SetLibrarianRequestActive(!toEditor);
            job.toEditor = toEditor;
        });
    };
    const auto expectRefused = [this](const std::function<void()>& request) {
        plug->setUpperDisplayText("");
        request();
        EXPECT_FALSE(plug->ThreadRunning() || manager().isCollecting());
        EXPECT_EQ(line(kControlDisplayName), "No bank to store into: import or create one first");
    };
    for (int type = 0; type < 3; ++type) {
        plug->setMultiMode(type == 1);
        plug->setSequenceMode(type == 2);
        plug->getLibrarian()->currentType = type;
        plug->getLibrarian()->bankList(type)->clear();
        for (int code = SenderJob::kSendActiveArrangementRequestSysex;
             code <= SenderJob::kSendAllSequenceRequestSysex; ++code)
            expectRefused([&] { post(code, false); });
        expectRefused([this] { plug->sendSinglePatchRequestSysexFromLibrarian(false, 1); });
        expectRefused([this] { plug->sendSinglePatchRequestSysexFromLibrarian(true, 0); });
        expectRefused([this] { plug->sendAllPatchRequestSysexFromLibrarian(3); });
    }
    EXPECT_TRUE(sent().empty());
    post(SenderJob::kSendPartRequestSysex, true); // into the editor
    EXPECT_TRUE(plug->ThreadRunning());
}

namespace {

// The synthesizer goes and comes back in the dump worker's first pause after the first message
// that `returnsAfter` picks, and the port watch asks for a probe as the port opens again.
struct Returning : SendRig {
    testsupport::ManualClock clock{1000000};
    std::function<bool(const Bytes&)> returnsAfter;
    std::atomic<bool> due{false};

    void SetUp() override {
        SendRig::SetUp();
        plug->inputOpen = true;
        // Once: on the dump worker's thread, which alone sends here.
        out.setListener([this](const Bytes& m) {
            if (!returnsAfter || !returnsAfter(m)) return;
            returnsAfter = nullptr;
            due = true;
        });
        clock.SetSleepHook([this](int64_t) {
            if (!due.exchange(false)) return;
            ++plug->reconnections;
            plug->postDeviceIdProbe();
        });
    }
    void TearDown() override {
        waitForIdleJobThread(*plug);
        out.setListener(nullptr);
        SendRig::TearDown();
    }
    // Byte 4 of each SysEx message sent, the status byte of a short one.
    std::vector<int> kinds() {
        std::vector<int> k;
        for (const Bytes& m : out.bytes())
            k.push_back(m[0] == 0xF0 ? m[4] : m[0]);
        return k;
    }
    size_t textAt(const std::string& text) {
        const std::vector<std::string> texts = plug->upperTexts();
        return size_t(std::find(texts.begin(), texts.end(), text) - texts.begin());
    }
};

const Bytes kProbe = {0xF0, 0x3E, 0x0F, 0x00, 0x04, 0xF7};

} // namespace

// "Push Current Multi to HW" during which the synthesizer went and came back: the parts after
// the return stay unsent, the display says where it stopped, and the synthesizer that came
// back is probed as the send ends, though the probe was asked for while the multi went out;
// the lower line keeps saying where the send stopped once the probe has ended.
TEST_F(Returning, AMultiPushStopsAtTheReturnSaysSoAndProbesTheNewSynthesizer) {
    for (int part : {0, 3, 9})
        set(kMultiPartStatus + part, 1.0);
    returnsAfter = [](const Bytes& m) { return m.size() == 393 && m[4] == 0x10; };
    ASSERT_TRUE(plug->postJob(SenderJob::kSendArrangementToDevice, [this](SenderJob& job) {
        plug->setArrangementSendFlags(true, true, true);
        job.dumpOption1 = job.dumpOption2 = false;
    }));
    waitForIdleJobThread(*plug);
    const std::vector<int> k = kinds();
    ASSERT_GE(k.size(), 4u);
    EXPECT_EQ(std::vector<int>(k.begin(), k.begin() + 4),
              (std::vector<int>{0x14, 0x11, 0x10, 0x04}));
    EXPECT_EQ(out.bytes()[3], kProbe);
    EXPECT_LT(textAt("Data write FAILED at part 4!"), textAt("Connecting to Q"));
    EXPECT_EQ(line(kControlDisplayValue), "Data write FAILED at part 4!");
}

// The start-up probe scanning for the id when the synthesizer went and came back: the scan
// ends there, without "No response from Q!", and the synthesizer that came back is probed.
TEST_F(Returning, AProbeWhoseSynthesizerCameBackEndsAndTheNewOneIsProbed) {
    const Bytes scanned = {0xF0, 0x3E, 0x0F, 0x05, 0x04, 0xF7};
    returnsAfter = [&](const Bytes& m) { return m == scanned; };
    ASSERT_TRUE(plug->postDeviceIdProbe());
    waitForIdleJobThread(*plug);
    const std::vector<Bytes> wire = out.bytes();
    const auto at = std::find(wire.begin(), wire.end(), scanned);
    ASSERT_LT(at + 1, wire.end());
    EXPECT_EQ(at[1], kProbe);
    const std::vector<std::string> texts = plug->upperTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Connecting to Q"), 2);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "No response from Q!"), 1);
    EXPECT_EQ(texts.back(), "No response from Q!");
}

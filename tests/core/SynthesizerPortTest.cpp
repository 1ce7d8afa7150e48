// The synthesizer's side of the plug-in's clock and gates, played by MIDI peers on the JACK
// server: the host's tempo through zoz-host, the transport's clock, and a parameter message
// that lights its part. The simulated synthesizer answers the device-id probe that choosing
// its ports starts, in either order.

#include "tests/core/ClockRig.h"

#include "src/core/PatchManager.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/QsimProcess.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XHostWindow.h"

#include <algorithm>
#include <map>
#include <thread>
#include <unistd.h>

using namespace coretest;

namespace {

struct Synthesizer : CoreRig {
    std::unique_ptr<testsupport::Watchdog> watchdog;

    void SetUp() override {
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(
            90, testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    static std::string client(const std::string& tag) {
        return "zozsynth" + std::to_string(getpid()) + tag;
    }
    // A peer whose port the settings name as the plug-in's output ("in") or input ("out").
    std::unique_ptr<testsupport::ChildProcess> peer(const char* mode, const std::string& port) {
        auto p = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{ZOZ_MIDI_PEER_PATH, mode, client(port), port});
        std::string line;
        EXPECT_TRUE(p->ReadLine(&line, 10000) && line == "ready") << line;
        return p;
    }
    // What the peer heard until `until` came, or for timeoutMs after the last message.
    static std::vector<std::string> heard(testsupport::ChildProcess& peer, int timeoutMs,
                                          const std::string& until = "") {
        std::vector<std::string> lines;
        for (std::string line; lines.empty() || lines.back() != until;) {
            if (!peer.ReadLine(&line, timeoutMs)) break;
            lines.push_back(line.substr(4)); // after "msg "
        }
        return lines;
    }
};

// The plug-in on the layout with the port menus (listing the ports there when it starts), its
// ports chosen as a user does, on a clock five times as fast.
struct PortChoice : Synthesizer {
    std::unique_ptr<Zoz> plug;

    void SetUp() override {
        Synthesizer::SetUp();
        writeSettings("yellow\nnormal\nyes\n\n");
        resources = ZOZ_TEST_LAYOUT;
    }
    void TearDown() override { plug.reset(); }
    std::unique_ptr<testsupport::QsimProcess> synthesizer(const std::string& tag,
                                                          const char* silent = "") {
        auto q = std::make_unique<testsupport::QsimProcess>(
            client(tag), testsupport::QsimProcess::Options{0, 0, silent, ""});
        EXPECT_TRUE(q->Ready());
        return q;
    }
    // As a user does: the menu opens (and lists the ports), then a port is picked.
    void choose(int idx, const std::string& port) {
        plug->OnParamPrompt(idx);
        const IParam* p = plug->GetParam(idx);
        int entry = 0;
        while (entry < p->GetNDisplayTexts() && port != p->GetDisplayTextAtIdx(entry))
            ++entry;
        plug->SetParameterFromGUI(idx, p->GetNormalized(entry));
    }
    bool probing() { return plug->getMessageManager()->isRunning(MIDIMessageManager::kJobThread); }
    // Once the probe has ended: whether the synthesizer answered it.
    bool answered() {
        waitForIdleJobThread(*plug);
        return plug->getMessageManager()->answerReceived &&
               !plug->getMessageManager()->getSender()->error;
    }
    static bool isProbe(const testsupport::QsimProcess::Message& m) {
        return m.received && m.bytes.size() == 6 && m.bytes[4] == 0x04;
    }
};

} // namespace

TEST_F(PortChoice, TheProbeWaitsForBothPortsWhicheverComesLast) {
    auto q = synthesizer("q");
    plug = start();
    testsupport::ScaledClock fast(5);
    for (const bool outFirst : {true, false}) {
        SCOPED_TRACE(outFirst ? "out first" : "in first");
        choose(outFirst ? kDeviceOutSelection : kDeviceInSelection,
               outFirst ? q->InPort() : q->OutPort());
        EXPECT_FALSE(probing());
        choose(outFirst ? kDeviceInSelection : kDeviceOutSelection,
               outFirst ? q->OutPort() : q->InPort());
        EXPECT_TRUE(answered());
        // A patchbay shows whose ports they are; the second instance alive carries its number.
        std::string listed;
        ASSERT_EQ(testsupport::RunProgram({"/usr/bin/jack_lsp"}, &listed), 0);
        const std::string name = outFirst ? "\nZoz Editor" : "\nZoz Editor 2";
        EXPECT_NE(listed.find(name + " In:RtMidi Input\n"), std::string::npos) << listed;
        EXPECT_NE(listed.find(name + " Out:RtMidi Output\n"), std::string::npos);
        writeSettings("yellow\nnormal\nyes\n\n"); // the choices were stored as defaults
        plug = start(); // from no port again, while the last one is still there
    }
}

// The probe that a silent synthesizer leaves unanswered ends as it should; the next choice
// probes again. A choice while a probe runs starts none.
TEST_F(PortChoice, AChoiceAfterAFailedProbeProbesAgainAndNoneStartsDuringOne) {
    auto silent = synthesizer("s", "all");
    auto live = synthesizer("l");
    plug = start();
    testsupport::ScaledClock fast(5);
    choose(kDeviceInSelection, live->OutPort());
    choose(kDeviceOutSelection, silent->InPort());
    ASSERT_TRUE(probing());
    choose(kDeviceInSelection, live->OutPort());
    EXPECT_FALSE(answered());
    EXPECT_EQ(static_cast<ITextControl*>(plug->keptControl(kControlDisplayName))->GetTextForPlug(),
              "No response from Q!");
    // The request with the id held, then one for each id: one probe's worth.
    for (int n = 0; n < 129; ++n)
        ASSERT_TRUE(silent->WaitFor(isProbe, 10000)) << n;

    choose(kDeviceOutSelection, live->InPort());
    EXPECT_TRUE(answered());
    EXPECT_TRUE(live->WaitFor(isProbe, 10000));
    const std::vector<testsupport::QsimProcess::Message> heard = silent->Record();
    EXPECT_EQ(std::count_if(heard.begin(), heard.end(), isProbe), 129);
}

// The output closes under a bank being written: the transfer ends at the slot whose dump could
// not go out, or at the one before while JACK could still have told of an xrun that dropped it,
// and says so, after every dump before it arrived whole, once unless JACK told of an xrun.
TEST_F(PortChoice, ABankWhoseOutputClosesHalfwayNamesTheSlotThatFailed) {
    putBank("Bank.syx");
    keepLog();
    auto q = synthesizer("b");
    plug = start();
    choose(kDeviceInSelection, q->OutPort());
    choose(kDeviceOutSelection, q->InPort());
    ASSERT_TRUE(answered());
    const auto isDump = [](const testsupport::QsimProcess::Message& m) {
        return m.received && m.bytes.size() == 393;
    };
    plug->SendAllProgramsFromLibrarian(0);
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(q->WaitFor(isDump, 10000)) << n;
    int none = 0;
    plug->setExternalMIDIOut(none, nullptr);
    waitForIdleJobThread(*plug);
    const std::string shown =
        static_cast<ITextControl*>(plug->keptControl(kControlDisplayName))->GetTextForPlug();
    const std::string failed = "Data write FAILED at slot ";
    ASSERT_EQ(shown.rfind(failed, 0), 0u) << shown;
    const int slot = std::stoi(shown.substr(failed.size()));
    std::this_thread::sleep_for(std::chrono::seconds(1)); // what was on its way arrives
    std::map<int, int> dumps;
    for (const testsupport::QsimProcess::Message& m : q->Record())
        if (isDump(m)) ++dumps[m.bytes[6]];
    const bool xruns = q->Xruns() > 0;
    EXPECT_TRUE(int(dumps.size()) == slot - 1 || int(dumps.size()) == slot) << dumps.size();
    for (int k = 0; k < slot - 1; ++k)
        EXPECT_TRUE(dumps[k] == 1 || (xruns && dumps[k] > 1)) << k << ": " << dumps[k];
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "MIDI PORTS: " + shown), lines.end());
}

// Stored ports that are not there when the plug-in starts (the interface plugged in later, JACK
// or the bridge started later): the display and the log say which port is awaited, and a
// project saved meanwhile keeps it. The synthesizer's ports open as they appear and the probe
// finds it, without a reload.
TEST_F(PortChoice, StoredPortsThatComeLaterOpenAndTheProbeFindsTheSynthesizer) {
    const std::string late = client("late");
    const std::string settings = "yellow\nnormal\nyes\n" + late + ":in\n" + late + "-out:out";
    writeSettings(settings);
    keepLog();
    plug = start();
    const auto display = [&](int id) {
        return static_cast<ITextControl*>(plug->keptControl(id))->GetTextForPlug();
    };
    // Cut to the display's 35 characters, inside the quotes.
    EXPECT_EQ(display(kControlDisplayName),
              "MIDI Out '" + late.substr(0, 12) + "\xE2\x80\xA6' not found:");
    EXPECT_EQ(display(kControlDisplayValue), "waiting for it, or choose a port");
    const std::vector<std::string> lines = logLines();
    for (const std::string& said : {"MIDI Out '" + late + ":in'", "MIDI In '" + late + "-out:out'"})
        EXPECT_EQ(
            std::count(lines.begin(), lines.end(),
                       "MIDI PORTS: " + said + " not found: waiting for it, or choose a port"),
            1);
    ByteChunk chunk;
    plug->SerializeState2(&chunk, true);
    EXPECT_EQ(plug->getPatchManager()->getName(18), late + ":in");

    std::this_thread::sleep_for(std::chrono::seconds(3));
    auto q = synthesizer("late");
    testsupport::ScaledClock fast(5);
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] { return display(kControlDisplayName) == "Plug-in is ready to go!"; }, 30000));
    EXPECT_TRUE(q->WaitFor(isProbe, 1000));
    {
        KIT_MutexLock lock(plug->GetMutex());
        EXPECT_TRUE(plug->isMIDIIOSet());
        const IParam* in = plug->GetParam(kDeviceInSelection);
        EXPECT_STREQ(in->GetDisplayText(plug->getMIDIInPortIndex()), (late + "-out:out").c_str());
        // A menu opened now lists the plug-in's own ports, there by now, as no choice.
        plug->OnParamPrompt(kDeviceInSelection);
        EXPECT_GT(plug->getMIDIInPortIndex(), 0);
        for (int i = 0; i < in->GetNDisplayTexts(); ++i)
            EXPECT_NE(std::string(in->GetDisplayText(i)).rfind("Zoz Editor", 0), 0u);
    }
    EXPECT_EQ(testsupport::readFile(settingsPath()), bytesOf(settings));
    plug.reset(); // its threads sleep on the fast clock
}

TEST_F(Synthesizer, HearsTheHostsTempoOncePerWholeBpmThroughZozHost) {
    auto synthesizer = peer("receive", "in");
    writeSettings("yellow\nnormal\nyes\n" + client("in") + ":in\n");
    keepLog();
    std::string output;
    ASSERT_EQ(testsupport::RunProgram(
                  {ZOZ_HOST_PATH, ZOZ_EDITOR_PATH, "tempo=120.9", "process=2", "tempo=120.2",
                   "process=2", "tempo=200", "process=2"},
                  &output, 60000,
                  {"ZOZ_DATA_DIR=" + data}),
              0)
        << output;
    std::vector<std::string> tempos = heard(*synthesizer, 1000);
    tempos.erase(std::remove_if(
                     tempos.begin(), tempos.end(),
                     [](const std::string& m) { return m.rfind("F0 3E 0F 00 21 00 05 ", 0) != 0; }),
                 tempos.end());
    EXPECT_EQ(tempos, (std::vector<std::string>{"F0 3E 0F 00 21 00 05 37 F7",
                                                "F0 3E 0F 00 21 00 05 7F F7"}));
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PROCESSOR: Host tempo synced to 120BPM"),
              lines.end());
}

TEST_F(Synthesizer, HearsTheTransportsClockAndItsParameterMessageLightsItsPart) {
    auto synthesizer = peer("receive", "in");
    auto keyboard = peer("send", "out");
    writeSettings("yellow\nnormal\nyes\n" + client("in") + ":in\n" + client("out") + ":out");
    resources = ZOZ_BUILT_RESOURCES;
    auto plug = start<Hosted<Zoz>>();
    plug->setClockStartStop(true);
    plug->playing = true;
    plug->ProcessDoubleReplacing(nullptr, nullptr, 256);
    EXPECT_EQ(heard(*synthesizer, 5000, "FA").back(), "FA");
    keyboard->WriteLine("F0 3E 0F 00 20 05 00 01 02 F7");
    for (int i = 0; i < 500 && plug->GetParam(kMIDILed + 5)->Value() != 1.0; ++i)
        usleep(10000);
    EXPECT_EQ(plug->GetParam(kMIDILed + 5)->Value(), 1.0);
}

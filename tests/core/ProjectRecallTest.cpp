// A project reopened with the synthesizer's ports there: they open by name and the arrangement
// goes out once the restore has returned; a job that hangs holds the host a second at most,
// never its audio, and the arrangement follows the job. One saved with no port chosen opens,
// sends and waits for nothing. A probe that runs as the project is reopened ends: what it
// received by then loses to the project, and a silent synthesizer holds nothing.

#include "tests/core/SendRig.h"
#include "tests/core/StoredPorts.h"

#include "kit/effect/IGraphics.h"
#include "platform/view/HeadlessView.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScaledClock.h"

#include <algorithm>
#include <jack/jack.h>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <thread>

using namespace coretest;

namespace {

struct ProjectRecall : StoredPorts {
    testsupport::MidiOutputRecorder out;
    bool toPort = true;

    // The chunk of a plug-in that opened the peers' ports from its settings, parts 0 and 3
    // active, after `change`.
    ByteChunk savedWithPorts(const std::function<void(Zoz&)>& change = {}) {
        writeSettings("yellow\nnormal\nyes\n" + client() + ":in\n" + client("s") + ":out");
        resources = ZOZ_TEST_LAYOUT; // with the device menus
        auto first = start();
        EXPECT_TRUE(first->isMIDIIOSet());
        {
            KIT_MutexLock lock(first->GetMutex()); // the port watch runs beside the test
            EXPECT_GT(first->getMIDIInPortIndex(), 0);
        }
        for (int part = 0; part < 16; ++part)
            first->GetParam(kMultiPartStatus + part)->Set(part == 0 || part == 3 ? 1.0 : 0.0);
        if (change) change(*first);
        ByteChunk chunk;
        first->SerializeState2(&chunk, true);
        writeSettings("yellow\nnormal\nno\n\n");
        return chunk;
    }
};

// What the test JACK server logged, its clients' missed cycles among it ("" without it).
std::string jackLog() {
    const char* path = getenv("ZOZ_JACK_LOG");
    std::ifstream in(path ? path : "");
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

// Neither the start nor the restore makes a client: the port menus are read without one, so
// no client of the plug-in can make the server miss a cycle.
TEST_F(ProjectRecall, SavedWithoutPortsOpensNothingSendsNothingAndWaitsForNothing) {
    auto receiver = peer("receive", "in");
    auto sender = peer("send", "out", "s");
    resources = ZOZ_TEST_LAYOUT; // with the device menus
    writeSettings("yellow\nnormal\nyes\n\n");
    const size_t logged = jackLog().size();
    ByteChunk chunk;
    start()->SerializeState2(&chunk, true);
    auto plug = start<RecordingZoz>(out, toPort);
    {
        testsupport::ManualClock clock;
        EXPECT_EQ(plug->UnserializeState2(&chunk, 0, true), chunk.Size());
        EXPECT_EQ(clock.SleptNanos(), 0);
    }
    EXPECT_FALSE(plug->isMIDIIOSet());
    EXPECT_EQ(plug->awaitedExternalMIDI(true) + plug->awaitedExternalMIDI(false), "");
    EXPECT_EQ(out.count(), 0u);
    EXPECT_GT(plug->getExternalMIDIOutNames().size(), 1u); // the peers' ports were listed
    jack_client_t* look = jack_client_open(("zozcorelook" + std::to_string(getpid())).c_str(),
                                           JackNoStartServer, nullptr);
    ASSERT_TRUE(look);
    // The port look's client, never activated, closes on its own thread once the plug-in is
    // built: it may still be leaving; no other client may be there at all.
    const auto present = [look](const char* name) {
        char* uuid = jack_get_uuid_for_client_name(look, name);
        jack_free(uuid);
        return uuid != nullptr;
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (present("Zoz Editor") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    for (const char* name : {"Zoz Editor", "Zoz Editor In", "Zoz Editor Out"})
        EXPECT_FALSE(present(name)) << name;
    const char** ours = jack_get_ports(look, "^Zoz Editor", nullptr, 0);
    EXPECT_EQ(ours, nullptr);
    jack_free(ours);
    jack_client_close(look);
    EXPECT_EQ(jackLog().find("client = Zoz Editor", logged), std::string::npos);
}

TEST_F(ProjectRecall, PortsOpenByNameAndTheArrangementGoesOutAfterTheRestore) {
    auto receiver = peer("receive", "in");
    auto sender = peer("send", "out", "s");
    ByteChunk chunk = savedWithPorts();
    auto plug = start<RecordingZoz>(out, toPort);
    ASSERT_FALSE(plug->isMIDIIOSet());
    const size_t logged = jackLog().size();
    testsupport::ScaledClock fast(20);
    ASSERT_EQ(plug->UnserializeState2(&chunk, 0, true), chunk.Size());

    {
        KIT_MutexLock lock(plug->GetMutex()); // the plug-in's port watch runs beside the test
        const std::vector<std::string>& inputs = plug->getExternalMIDIInNames();
        const long in =
            std::find(inputs.begin(), inputs.end(), client("s") + ":out") - inputs.begin();
        ASSERT_LT(in, long(inputs.size()));
        EXPECT_EQ(plug->GetParam(kDeviceInSelection)->Value(), in);
        EXPECT_EQ(plug->getMIDIInPortIndex(), in);
    }
    EXPECT_TRUE(plug->isMIDIIOSet());
    waitForIdleJobThread(*plug);
    // The global dump, the multi, then the sounds of the active parts; what the restore chose
    // for the send ends with it.
    EXPECT_FALSE(plug->isBatch() || plug->isGlobalFirst() || plug->isIncomingGated());
    const std::vector<std::vector<uint8_t>> sent = out.bytes();
    // A dump goes again, in its place, when the server told of an xrun as it went.
    std::vector<std::vector<uint8_t>> sentOnce;
    for (const std::vector<uint8_t>& m : sent)
        if (m.size() > 6 && (sentOnce.empty() || sentOnce.back() != m)) sentOnce.push_back(m);
    std::vector<std::pair<size_t, int>> dumps;
    for (const std::vector<uint8_t>& m : sentOnce) dumps.emplace_back(m.size(), m[4]);
    const std::vector<std::pair<size_t, int>> expected = {
        {207, kSysexGlobalDump}, {393, kSysexMultiDump}, {393, kSysexSoundDump},
        {393, kSysexSoundDump}};
    EXPECT_EQ(dumps, expected);
    if (jackLog().find("XRun", logged) == std::string::npos) {
        EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](auto& m) { return m.size() > 6; }),
                  long(expected.size()));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(out.count(), sent.size());
    std::string line;
    EXPECT_TRUE(receiver->ReadLine(&line, 10000));
}

// The probe's answer is the synthesizer's global dump, which sets the global parameters. When
// it comes while the project is being reopened, the project's values must win, on the editor
// and on the wire.
TEST_F(ProjectRecall, AProbeRunningAsTheProjectIsReopenedEndsAndItsAnswerComesBeforeIt) {
    auto receiver = peer("receive", "in");
    auto sender = peer("send", "out", "s");
    const auto popupTime = [](Zoz& plug) {
        plug.GetParam(kGlobalPopupTime)->InitInt("Popup Time", 33, 0, 127);
    };
    ByteChunk chunk = savedWithPorts(popupTime);
    auto plug = start<RecordingZoz>(out, toPort);
    popupTime(*plug);
    plug->GetParam(kGlobalPopupTime)->Set(0);
    plug->held = true;
    ASSERT_TRUE(plug->postJob(SenderJob::kSendDeviceIdEnquiry, {}));
    while (!plug->holding)
        std::this_thread::yield();
    std::vector<uint8_t> answer(207, 0x00);
    answer[0] = 0xF0, answer[1] = 0x3E, answer[2] = 0x0F, answer[4] = kSysexGlobalDump;
    answer[44] = 0x50;
    answer[206] = 0xF7;
    // The answer comes on the MIDI input's own thread while the restore waits.
    const std::thread::id host = std::this_thread::get_id();
    std::thread input;
    testsupport::ManualClock clock;
    clock.SetSleepHook([&](int64_t) {
        if (std::this_thread::get_id() != host) return;
        if (input.joinable()) return waitForIdleJobThread(*plug);
        input = std::thread([&] {
            ISysEx message(0, answer.data(), int(answer.size()));
            plug->ProcessSysEx(&message, true);
            plug->held = false;
        });
    });
    const int end = plug->UnserializeState2(&chunk, 0, true);
    ASSERT_TRUE(input.joinable());
    input.join();
    ASSERT_EQ(end, chunk.Size());
    EXPECT_EQ(plug->GetParam(kGlobalPopupTime)->Value(), 33.0);
    waitForIdleJobThread(*plug);
    const std::vector<std::vector<uint8_t>> sent = out.bytes();
    const auto global = std::find_if(sent.begin(), sent.end(), [](const auto& m) {
        return m.size() == 207 && m[4] == kSysexGlobalDump;
    });
    ASSERT_NE(global, sent.end());
    EXPECT_EQ((*global)[44], 33);
}

// Against a silent synthesizer the probe would scan every device id: a project reopened
// meanwhile ends it at its next pause and sends its arrangement to the project's device id.
TEST_F(ProjectRecall, AProbeOfASilentSynthesizerEndsAtARestoreWithoutItsScan) {
    auto receiver = peer("receive", "in");
    auto sender = peer("send", "out", "s");
    ByteChunk chunk = savedWithPorts();
    writeSettings("yellow\nnormal\nyes\n" + client() + ":in\n" + client("s") + ":out");
    auto plug = start<RecordingZoz>(out, toPort);
    ASSERT_TRUE(plug->isMIDIIOSet());
    testsupport::ScaledClock fast(10);
    ASSERT_TRUE(plug->postJob(SenderJob::kSendDeviceIdEnquiry, {}));
    ASSERT_EQ(plug->UnserializeState2(&chunk, 0, true), chunk.Size());
    waitForIdleJobThread(*plug);
    const std::vector<std::vector<uint8_t>> sent = out.bytes();
    const auto probes = std::count_if(sent.begin(), sent.end(), [](const auto& m) {
        return m.size() == 6 && m[4] == kSysexGlobalRequest;
    });
    EXPECT_LE(probes, 1);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(std::vector<uint8_t>(sent.back().begin(), sent.back().begin() + 5),
              (std::vector<uint8_t>{0xF0, 0x3E, 0x0F, 0x00, kSysexSoundDump}));
}

// A slow synthesizer holds the arrangement's first dump. Meanwhile the editor draws and a host
// call returns with the whole restored state.
TEST_F(ProjectRecall, WhileTheArrangementGoesOutTheEditorDrawsAndTheHostIsAnswered) {
    auto receiver = peer("receive", "in");
    auto sender = peer("send", "out", "s");
    ByteChunk chunk = savedWithPorts();
    auto plug = start<RecordingZoz>(out, toPort);
    AEffect* effect = plug->GetAEffect();
    const auto hostChunk = [effect] {
        void* data = nullptr;
        const auto size = effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.0f);
        return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    };
    plug->GetGUI()->OpenWindow(nullptr);
    auto* view = static_cast<platform::HeadlessView*>(plug->GetGUI()->GetWindow());
    plug->held = true;
    EXPECT_EQ(plug->UnserializeState2(&chunk, 0, true), chunk.Size());
    while (!plug->holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto drawn = std::async(std::launch::async, [view] { view->Tick(); });
    auto during = std::async(std::launch::async, hostChunk);
    const auto returned = [](auto& call) {
        return call.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    };
    EXPECT_TRUE(returned(drawn));
    EXPECT_TRUE(returned(during));
    EXPECT_TRUE(plug->holding);
    plug->held = false;
    EXPECT_EQ(during.get(), hostChunk()); // the restored state, not a part of it
    plug->GetGUI()->CloseWindow();
    waitForIdleJobThread(*plug);
}

// A job held in a send (an output that stalls) holds a restore a second at most, and never the
// audio meanwhile; the arrangement follows the job, on the output thread's pass after a block.
TEST_F(ProjectRecall, AHangingJobHoldsTheRestoreASecondAtMostAndTheArrangementFollowsIt) {
    auto receiver = peer("receive", "in");
    auto sender = peer("send", "out", "s");
    ByteChunk chunk = savedWithPorts();
    keepLog();
    auto plug = start<RecordingZoz>(out, toPort);
    plug->held = true;
    ASSERT_TRUE(plug->postJob(SenderJob::kSendGlobalToDevice, {}));
    AEffect* effect = plug->GetAEffect();
    float silence[2][64] = {};
    float* channels[2] = {silence[0], silence[1]};
    std::atomic<bool> waiting{false}, audioDuringRestore{false};
    std::thread audio([&] {
        while (!waiting)
            std::this_thread::yield();
        effect->processReplacing(effect, channels, channels, 64);
        audioDuringRestore = true;
    });
    {
        testsupport::ManualClock clock;
        const std::thread::id host = std::this_thread::get_id();
        clock.SetSleepHook([&](int64_t) {
            if (std::this_thread::get_id() != host) return;
            waiting = true;
            while (!audioDuringRestore)
                std::this_thread::yield();
        });
        const int64_t start = platform::NowMillis();
        EXPECT_EQ(plug->UnserializeState2(&chunk, 0, true), chunk.Size());
        EXPECT_LE(platform::NowMillis() - start, 1100);
    }
    audio.join();
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "PROJECT RECALL: a job is running, the arrangement follows it"),
              lines.end());
    plug->held = false;
    waitForIdleJobThread(*plug);
    out.clear();
    plug->WakeOutputThread(true); // as a block does while the arrangement waits
    plug->WaitForOutputThread();
    waitForIdleJobThread(*plug);
    const std::vector<std::vector<uint8_t>> sent = out.bytes();
    EXPECT_NE(
        std::find_if(sent.begin(), sent.end(),
                     [](const auto& m) { return m.size() == 393 && m[4] == kSysexMultiDump; }),
        sent.end());
}

// The host's audio thread in the plug-in never waits: not while the editor draws, a bank goes
// out, the log is written and MIDI arrives from both sides, and not while a port is chosen
// with the blocks running in a JACK server's cycle, as in Ardour.

#include "tests/realtime/RealTimeGuard.h"

#include "src/core/Zoz.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/core/CoreRig.h"
#include "tests/support/JackActivation.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/QsimProcess.h"
#include "tests/support/Watchdog.h"

#include <jack/jack.h>
#include <jack/statistics.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

// Last: Xlib's macros would clash with the names above.
#include "tests/support/XHostWindow.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// The host as the test plays it: its transport and tempo, answered to the plug-in's time query
// on whatever thread asks.
std::atomic<bool> g_playing{false};
std::atomic<double> g_tempo{120.0};

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode != audioMasterGetTime) return 0;
    thread_local VstTimeInfo time;
    time = VstTimeInfo{};
    time.sampleRate = 48000.0;
    time.tempo = g_tempo;
    time.flags = kVstTempoValid | (g_playing ? kVstTransportPlaying : 0);
    return reinterpret_cast<VstIntPtr>(&time);
}

// A host's audio thread: one block of `frames` with the host's MIDI of that block before it,
// under the guard.
struct AudioBlock {
    explicit AudioBlock(AEffect* effect) : effect(effect) {
        for (VstMidiEvent& e : midi) {
            e.type = kVstMidiType;
            e.byteSize = sizeof e;
        }
        events.numEvents = 2;
        events.events[0] = reinterpret_cast<VstEvent*>(&midi[0]);
        events.events[1] = reinterpret_cast<VstEvent*>(&midi[1]);
    }
    void run(int n, int frames) {
        const char on[] = {char(0x90), char(60 + n % 12), 100}, wheel[] = {char(0xE0), 0, 64};
        memcpy(midi[0].midiData, n % 2 ? on : wheel, 3);
        memcpy(midi[1].midiData, "\xB0\x4A", 2);
        midi[1].midiData[2] = char(n % 128);
        rt::Guard guard;
        effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f);
        effect->processReplacing(effect, ins, outs, frames);
    }

    AEffect* effect;
    VstMidiEvent midi[2] = {};
    VstEvents events = {};
    float buffers[4][256] = {};
    float* ins[2] = {buffers[0], buffers[1]};
    float* outs[2] = {buffers[2], buffers[3]};
};

// The plug-in of a host: sample rate, block size and processing on, as hosts set them.
void startProcessing(AEffect* effect, int frames) {
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, frames, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
}

struct AudioThread : coretest::CoreRig {
    std::unique_ptr<testsupport::Watchdog> watchdog;
    std::unique_ptr<testsupport::QsimProcess> synth;
    std::string unanswered; // zoz-qsim's --silent list

    void SetUp() override {
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(
            120, testing::UnitTest::GetInstance()->current_test_info()->name());
        synth = std::make_unique<testsupport::QsimProcess>(
            "zozrt" + std::to_string(getpid()),
            testsupport::QsimProcess::Options{0, 0, unanswered, ""});
        ASSERT_TRUE(synth->Ready());
        // The synthesizer's ports stored, a bank to send, the log on.
        writeSettings("yellow\nnormal\nyes\n" + synth->InPort() + "\n" + synth->OutPort());
        putBank("Bank.vub");
        keepLog();
        resources = ZOZ_BUILT_RESOURCES;
        instanceInfo.hostCallback = host;
    }
};

} // namespace

// The guard itself: what it is there for is caught on the guarded thread, a tried lock is not,
// nor is another thread's lock meanwhile.
TEST(RealTimeGuard, ThreadsCatchesWhatIsPlantedOnItsThreadAlone) {
    const auto caughtBy = [](const auto& plant) {
        {
            rt::Guard guard;
            plant();
        }
        return rt::TakeCaught().count;
    };
    std::mutex m;
    std::atomic<bool> go{false};
    std::thread other([&] {
        while (!go)
            std::this_thread::yield();
        std::lock_guard<std::mutex> hold(m);
    });
    EXPECT_EQ(caughtBy([&] {
                  go = true;
                  if (m.try_lock()) m.unlock();
              }),
              0);
    other.join();
    EXPECT_EQ(caughtBy([&] { std::lock_guard<std::mutex> hold(m); }), 1);
    EXPECT_EQ(caughtBy([] {
                  int* volatile kept = new int(1); // volatile: not optimised away
                  delete kept;
              }),
              2);
    EXPECT_GE(caughtBy([] { std::thread([] {}).detach(); }), 1);
    const std::string path = testing::TempDir() + "zoz-rt-guard";
    EXPECT_GE(caughtBy([&] { fclose(fopen(path.c_str(), "w")); }), 1);
    unlink(path.c_str());
}

// A host's blocks with its MIDI, 5 ms apart, beside everything else the plug-in does at once:
// the editor open and drawing, a bank of 100 sounds going out to the synthesizer, the log on,
// the synthesizer's messages arriving, the transport and the tempo moving, resets, the queue
// for the host's blocks switched on and off, a part request waiting for the worker.
TEST_F(AudioThread, ThreadsNothingWaitsBesideTheEditorATransferTheLogAndArrivingMidi) {
    testsupport::XHostWindow window(1500, 757);
    if (!window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    auto plug = start();
    ASSERT_TRUE(plug->isMIDIIOSet());
    AEffect* effect = plug->GetAEffect();
    startProcessing(effect, 256);
    ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0,
                                 reinterpret_cast<void*>(window.window()), 0.0f),
              1);
    plug->GetParam(kLibSyncTimer)->Set(0); // 50 ms a dump: five seconds for the bank
    plug->GetParam(kOverrideTempo)->Set(1.0);
    plug->setFollowIncoming(false);
    plug->storeAllPatchesToDeviceFromLibrarian(0, 0, 0);
    ASSERT_TRUE(plug->ThreadRunning());
    rt::TakeCaught();

    std::atomic<bool> done{false};
    std::thread audio([&] {
        AudioBlock block(effect);
        for (int n = 0; !done; ++n) {
            g_playing = n / 40 % 2;
            g_tempo = 100.0 + n / 25 % 40;
            block.run(n, 256);
            std::this_thread::sleep_for(5ms);
        }
    });
    for (int i = 0; i < 100; ++i) {
        synth->Send({0xF0, 0x3E, 0x0F, 0x00, 0x20, uint8_t(i % 16), 0x01, 0x7F, 0xF7});
        synth->Send({0xB0, 0x07, uint8_t(i)});
        if (i % 20 == 10) plug->setToHostBuffer(!plug->isToHostBuffer());
        if (i % 30 == 0) plug->Reset();
        if (i == 50) plug->requestCurrentPart();
        std::this_thread::sleep_for(20ms);
    }
    const bool transferring = plug->ThreadRunning();
    done = true;
    audio.join();
    const rt::Caught caught = rt::TakeCaught();
    EXPECT_EQ(caught.count, 0) << "last: " << (caught.last ? caught.last : "")
                               << " (ZOZ_RT_TRACE=1 prints each one's stack)";
    EXPECT_TRUE(transferring);
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
}

namespace {

// A JACK client that runs the plug-in's blocks in its process callback, as Ardour does: the
// server waits for each block. Each block sends a tempo of its own.
struct JackHost {
    explicit JackHost(Zoz& plug)
        : plug(plug), block(plug.GetAEffect()),
          client(jack_client_open(("zozrthost" + std::to_string(getpid())).c_str(),
                                  JackNoStartServer, nullptr)) {
        jack_set_process_callback(client, &JackHost::process, this);
        jack_set_xrun_callback(client, &JackHost::xrun, this);
        startProcessing(plug.GetAEffect(), int(jack_get_buffer_size(client)));
        testsupport::ActivateJackClient(client);
    }
    ~JackHost() { jack_client_close(client); }
    static int process(jack_nframes_t frames, void* self) {
        auto* host = static_cast<JackHost*>(self);
        const int n = host->cycles++;
        host->plug.GetParam(kMultiTempo)->Set(60 + n % 2);
        host->block.run(n, int(std::min<jack_nframes_t>(frames, 256)));
        return 0;
    }
    // A cycle late by a stall: the server waited that long for a block. The dummy driver of a
    // loaded machine is late by far less (microseconds to a few milliseconds).
    static int xrun(void* self) {
        auto* host = static_cast<JackHost*>(self);
        if (jack_get_xrun_delayed_usecs(host->client) >= kStallMicros) ++host->stalls;
        return 0;
    }
    void waitCycles(int more) {
        const int until = cycles + more;
        while (cycles < until)
            std::this_thread::sleep_for(1ms);
    }

    Zoz& plug;
    AudioBlock block;
    jack_client_t* client;
    std::atomic<int> cycles{0};
    std::atomic<int> stalls{0};
    static constexpr float kStallMicros = 50000;
};

} // namespace

// The MIDI Out port chosen, closed and chosen again, as the editor's menu does it, while the
// server runs the blocks: opening and connecting a port waits for the server's next cycle,
// which must never wait for the plug-in in turn.
TEST_F(AudioThread, ThreadsChoosingAPortCostsTheServerNoCycle) {
    auto plug = start();
    plug->GetParam(kOverrideTempo)->Set(0.0);
    JackHost host(*plug);
    host.waitCycles(20); // a new client's first cycles may come late
    host.stalls = 0;
    rt::TakeCaught();
    const IParam* out = plug->GetParam(kDeviceOutSelection);
    const int port = plug->getMIDIOutPortIndex();
    ASSERT_GT(port, 0);
    for (int entry : {0, port, 0, port}) {
        plug->SetParameterFromGUI(kDeviceOutSelection, out->GetNormalized(entry));
        EXPECT_EQ(plug->isMIDIIOSet(), entry > 0);
        host.waitCycles(20);
    }
    const rt::Caught caught = rt::TakeCaught();
    EXPECT_EQ(caught.count, 0) << (caught.last ? caught.last : "");
    EXPECT_EQ(host.stalls, 0);
    // The blocks' tempi reached the synthesizer through the port chosen last.
    EXPECT_TRUE(synth->WaitFor(
        [](const testsupport::QsimProcess::Message& m) {
            return m.received && m.bytes.size() == 9 && m.bytes[4] == 0x21 && m.bytes[6] == 0x05;
        },
        10000));
}

namespace {

struct SilentSynthesizer : AudioThread {
    SilentSynthesizer() { unanswered = "all"; }
};

} // namespace

// Closed by its host in the middle of a bank request to a synthesizer that answers nothing,
// with pauses of 500 ms and the MIDI clock ticking: the close ends every worker at once,
// nothing of the plug-in is used after it went (AddressSanitizer), and nothing more reaches the
// synthesizer.
TEST_F(SilentSynthesizer, ThreadsClosingMidRequestEndsEveryWorkerAndLeavesNothingBehind) {
    Zoz* plug = start().release(); // the host's close deletes it
    AEffect* effect = plug->GetAEffect();
    startProcessing(effect, 256);
    plug->GetParam(kLibSyncTimer)->Set(7);
    plug->GetParam(kOverrideTempo)->Set(1.0);
    plug->setClockTickEnabled(true);
    plug->setClockTempo(120);
    plug->sendAllPatchRequestSysexFromLibrarian(0);
    ASSERT_TRUE(plug->ThreadRunning());
    // A block starts the clock; one that finds the plug lock taken (by the port watch) is
    // skipped.
    const MIDIMessageManager* manager = plug->getMessageManager();
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        AudioBlock(effect).run(0, 256);
        return manager->isRunning(MIDIMessageManager::kClockTickThread);
    }));
    EXPECT_TRUE(synth->WaitFor(
        [](const testsupport::QsimProcess::Message& m) {
            return m.received && m.bytes.size() == 8 && m.bytes[4] == 0x00;
        },
        10000));
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    const size_t heard = synth->Record().size();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(synth->Record().size(), heard);
}

namespace {

// The page faults the threads took between two looks; a thread that ended counts none.
long taken(const std::vector<long>& before, const std::vector<long>& after) {
    long sum = 0;
    for (size_t i = 0; i < after.size(); ++i)
        sum += std::max(0L, after[i] - (i < before.size() ? before[i] : 0));
    return sum;
}

} // namespace

// Once the plug-in is made and its ports are open, no thread that hands it MIDI first touches a
// page of memory (a page fault the kernel makes it wait for): not the host's audio thread
// through the blocks' queues, nor JACK's process thread through the input's relay, whose ring of
// a megabyte the synthesizer's SysEx goes round more than once.
TEST_F(AudioThread, NoProducingThreadTouchesMemoryForTheFirstTime) {
    rt::JackThreadFaults(); // watched from here: the plug-in's clients
    auto plug = start();
    ASSERT_GT(plug->getMIDIInPortIndex(), 0);
    AEffect* effect = plug->GetAEffect();
    startProcessing(effect, 256);
    AudioBlock block(effect);
    Bytes foreign(393, 0x00);
    foreign[0] = 0xF0, foreign[1] = 0x7D, foreign.back() = 0xF7;
    const auto blocksAndSysEx = [&](int blocks, int sysex) {
        for (int n = 0; n < blocks; ++n) {
            block.run(n, 256);
            if (n < sysex) synth->Send(foreign);
        }
        std::this_thread::sleep_for(500ms); // the last messages' cycles
    };
    blocksAndSysEx(50, 50);
    rt::TakeCaught();
    const std::vector<long> before = rt::JackThreadFaults();
    blocksAndSysEx(3000, 3000);
    const long jackFaults = taken(before, rt::JackThreadFaults());
    const rt::Caught caught = rt::TakeCaught();
    EXPECT_EQ(caught.count, 0) << (caught.last ? caught.last : "");
    EXPECT_EQ(caught.faults, 0);
    EXPECT_EQ(jackFaults, 0);
}

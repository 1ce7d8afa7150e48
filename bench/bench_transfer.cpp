// A bank of 100 sounds written into the synthesizer with the librarian's store-all (job 5) and
// asked back with the bank request (job 12) over real MIDI ports of a JACK server: the plug-in's
// output and input are one client, the simulated synthesizer (zoz-qsim --cable) another, which
// takes messages in at a DIN cable's 3,125 bytes a second behind an interface's 4096-byte
// buffer and loses what overruns it. The store is timed until the last dump has crossed the
// cable and measured against the later of its two paces: the Sync Timer, or the 125.76 ms a
// 393-byte dump needs on the cable; slots_whole counts the slots that arrived. The request is
// measured against two pause units a slot (the answer caught at the first pause, then the
// progress pause); slots_back counts the slots that came back as they were written.
#include "kit/effect/ISysEx.h"
#include "platform/midi/MidiBackend.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchFile.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/QsimProcess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using testsupport::QsimProcess;

constexpr int kBank = 2;
constexpr double kDumpOnCableSeconds = 393 * 320e-6;

// Index (the kLibSyncTimer value) of a pause unit.
int timerIndexOf(int millis) {
    for (int i = 0; i < 8; ++i)
        if (MIDIMessageSender::pauseUnitMillis(i) == millis) return i;
    return 2;
}

// A dump of the bank written, as the synthesizer took it in.
bool isStored(const QsimProcess::Message& m) {
    return m.received && m.bytes.size() == 393 && m.bytes[4] == 0x10 && m.bytes[5] == kBank;
}

// The fake plug-in core on real ports: what it sends goes out of its output port, and its
// input port feeds its own SysEx input on the MIDI library's thread.
class PluginPorts {
public:
    PluginPorts(testsupport::FakeSenderPlugin& plugin, const QsimProcess& synth)
        : plugin(plugin), in(platform::NewMidiIn("zozplugin", 1000)),
          out(platform::NewMidiOut("zozplugin")) {
        in->ignoreTypes(false, true, true);
        in->setCallback(&PluginPorts::received, this);
        connect(*in, synth.OutPort());
        connect(*out, synth.InPort());
        plugin.output.setListener([this](const Bytes& m) {
            Bytes message = m;
            out->sendMessage(&message);
        });
    }
    ~PluginPorts() { plugin.output.setListener(nullptr); }
    // A new connection carries messages only from one of the server's next cycles on.
    bool awaitConnection() {
        for (int i = 0; i < 100 && heard == 0; ++i) {
            const uint8_t probe[] = {0x3E, 0x0F, 0x00, 0x04};
            plugin.SendMidiSysex(probe, 4);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return heard > 0;
    }

private:
    static void received(double, std::vector<unsigned char>* bytes, void* self) {
        auto* p = static_cast<PluginPorts*>(self);
        ++p->heard;
        ISysEx m(0, bytes->data(), int(bytes->size()));
        p->plugin.ProcessSysExInternal(&m);
    }
    template <class Port> static void connect(Port& port, const std::string& name) {
        for (unsigned i = 0; i < port.getPortCount(); ++i)
            if (port.getPortName(i) == name) return port.openPort(i);
        throw RtMidiError("no synthesizer port " + name);
    }

    testsupport::FakeSenderPlugin& plugin;
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    std::atomic<int> heard{0};
};

struct Setup {
    Setup() {
        librarian.soundBanks = {&upper, &lower};
        upper.entries.resize(PatchFile::kBankSize);
        lower.entries.resize(PatchFile::kBankSize);
        std::vector<Bytes> dumps = testsupport::soundDumps(100, "Bench", "Lead");
        for (size_t k = 0; k < dumps.size(); ++k)
            upper.entries[k].dumps = {PatchSysexMessage(dumps[k])};
        plugin.manager = &manager;
    }
    bool post(int code, const std::function<void(SenderJob&)>& args) {
        return manager.postJob(code, args);
    }
    void waitIdle() {
        while (manager.isRunning(MIDIMessageManager::kJobThread))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Seconds from the start of the store to the last dump's crossing, or to the job's end when
    // the last dump was lost; -1 when the job did not start.
    double storeAll() {
        const auto start = Clock::now();
        if (!post(SenderJob::kStoreAllPatchesToDeviceFromLibrarian, [](SenderJob& j) {
                j.storeArg1 = 0;
                j.storeArg2 = 0;
                j.storeArg3 = kBank;
            }))
            return -1;
        const auto last = [](const QsimProcess::Message& m) {
            return isStored(m) && m.bytes[6] == 99;
        };
        // A full buffer takes 1.3 s to cross after the job's end.
        auto until = Clock::now() + std::chrono::hours(1);
        while (!synth.WaitFor(last, 10) && Clock::now() < until)
            if (!manager.isRunning(MIDIMessageManager::kJobThread))
                until = std::min(until, Clock::now() + std::chrono::seconds(2));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        waitIdle();
        return seconds;
    }
    int slotsStored() const {
        std::set<int> slots;
        for (const QsimProcess::Message& m : synth.Record())
            if (isStored(m)) slots.insert(m.bytes[6]);
        return int(slots.size());
    }

    QsimProcess synth{"zozsynth" + std::to_string(getpid()), {0, 0, "", "", true}};
    LibrarianTestHost host;
    PatchLibrarian librarian{host};
    PatchFile upper, lower;
    testsupport::FakeSenderPlugin plugin;
    MIDIMessageManager manager{&plugin, nullptr, &librarian, nullptr};
    PluginPorts ports{plugin, synth};
};

// Args: the job (5 or 12) and the pause unit in ms.
void BM_SoundBankOverJack(benchmark::State& state) {
    const int job = int(state.range(0)), unit = int(state.range(1));
    for (auto _ : state) {
        try {
            Setup s;
            if (!s.synth.Ready() || !s.ports.awaitConnection()) {
                state.SkipWithError("no MIDI connection through a JACK server");
                break;
            }
            s.plugin.setParam(kLibSyncTimer, timerIndexOf(unit));
            double seconds = s.storeAll();
            double prescribed =
                0.05 + 99 * std::max(unit / 1000.0, kDumpOnCableSeconds) + kDumpOnCableSeconds;
            state.counters["slots_whole"] = s.slotsStored();
            if (job == SenderJob::kSendAllPatchRequestSysex) {
                s.librarian.upperBankIndex = 1;
                const auto start = Clock::now();
                s.post(job, [](SenderJob& j) { j.bank = kBank; });
                s.waitIdle();
                seconds = std::chrono::duration<double>(Clock::now() - start).count();
                prescribed = 200 * unit / 1000.0;
                int same = 0;
                for (int k = 0; k < PatchFile::kBankSize; ++k)
                    same += !s.lower.entries[size_t(k)].dumps.empty() &&
                            Bytes(s.lower.entries[size_t(k)].dumps[0].bytes.begin() + 7,
                                  s.lower.entries[size_t(k)].dumps[0].bytes.end() - 2) ==
                                Bytes(s.upper.entries[size_t(k)].dumps[0].bytes.begin() + 7,
                                      s.upper.entries[size_t(k)].dumps[0].bytes.end() - 2);
                state.counters["slots_back"] = same;
            }
            if (seconds < 0) {
                state.SkipWithError("the job did not start");
                break;
            }
            state.SetIterationTime(seconds);
            state.counters["prescribed_s"] = prescribed;
            state.counters["ratio"] = seconds / prescribed;
        } catch (const RtMidiError& e) {
            state.SkipWithError(e.getMessage().c_str());
            break;
        }
    }
}
BENCHMARK(BM_SoundBankOverJack)
    ->ArgNames({"job", "unit_ms"})
    ->ArgsProduct({{SenderJob::kStoreAllPatchesToDeviceFromLibrarian,
                    SenderJob::kSendAllPatchRequestSysex},
                   {50, 100}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

// A bank of 100 sounds written into the synthesizer with the librarian's store-all (job 5) and
// asked back with the bank request (job 12) over real MIDI ports of a JACK server: the plug-in's
// output and input are one client, the simulated synthesizer another. Each job is measured
// against the pace it prescribes itself: 50 ms + 100 pause units for the store; for the request
// two units a slot (the answer caught at the first pause, then the progress pause). A DIN MIDI
// cable could not carry the bank faster than 39,300 bytes at 3,125 bytes a second.
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
#include "tools/zoz-qsim/SynthSimulator.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int kBank = 2;
constexpr double kDinFloorSeconds = 100 * 393 / 3125.0;

// Index (the kLibSyncTimer value) of a pause unit.
int timerIndexOf(int millis) {
    for (int i = 0; i < 8; ++i)
        if (MIDIMessageSender::pauseUnitMillis(i) == millis) return i;
    return 2;
}

// The synthesizer as a second client of the MIDI system: it keeps the dumps it receives and
// answers the requests from a thread of its own.
class SynthClient {
public:
    SynthClient()
        : in(platform::NewMidiIn("zozsynth", 1000)), out(platform::NewMidiOut("zozsynth")) {
        in->ignoreTypes(false, true, true);
        in->openVirtualPort("in");
        out->openVirtualPort("out");
        thread = std::thread([this] { serve(); });
    }
    ~SynthClient() {
        stopping = true;
        thread.join();
    }

private:
    void serve() {
        Bytes message;
        while (!stopping) {
            in->getMessage(&message);
            if (message.empty()) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            for (Bytes& answer : synth.answer(message))
                out->sendMessage(&answer);
        }
    }

    qsim::SynthSimulator synth;
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

// The fake plug-in core on real ports: what it sends goes out of its output port, and its
// input port feeds its own SysEx input on the MIDI library's thread.
class PluginPorts {
public:
    explicit PluginPorts(testsupport::FakeSenderPlugin& plugin)
        : plugin(plugin), in(platform::NewMidiIn("zozplugin", 1000)),
          out(platform::NewMidiOut("zozplugin")) {
        in->ignoreTypes(false, true, true);
        in->setCallback(&PluginPorts::received, this);
        connect(*in, ":out");
        connect(*out, ":in");
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
    // The synthesizer's port; the MIDI system may have numbered its client ("zozsynth-01").
    template <class Port> static void connect(Port& port, const std::string& name) {
        for (unsigned i = 0; i < port.getPortCount(); ++i) {
            const std::string n = port.getPortName(i);
            if (n.rfind("zozsynth", 0) == 0 && n.size() > name.size() &&
                n.compare(n.size() - name.size(), name.size(), name) == 0)
                return port.openPort(i);
        }
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
    // Seconds from the post to the job's end.
    double run(int code, const std::function<void(SenderJob&)>& args) {
        const auto start = Clock::now();
        if (!manager.postJob(code, args)) return -1;
        while (manager.isRunning(MIDIMessageManager::kJobThread))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    SynthClient synth;
    LibrarianTestHost host;
    PatchLibrarian librarian{host};
    PatchFile upper, lower;
    testsupport::FakeSenderPlugin plugin;
    MIDIMessageManager manager{&plugin, nullptr, &librarian, nullptr};
    PluginPorts ports{plugin};
};

double storeAll(Setup& s) {
    return s.run(SenderJob::kStoreAllPatchesToDeviceFromLibrarian, [](SenderJob& j) {
        j.storeArg1 = 0;
        j.storeArg2 = 0;
        j.storeArg3 = kBank;
    });
}

// Args: the job (5 or 12) and the pause unit in ms.
void BM_SoundBankOverJack(benchmark::State& state) {
    const int job = int(state.range(0)), unit = int(state.range(1));
    for (auto _ : state) {
        try {
            Setup s;
            if (!s.ports.awaitConnection()) {
                state.SkipWithError("no MIDI connection through a JACK server");
                break;
            }
            s.plugin.setParam(kLibSyncTimer, timerIndexOf(unit));
            double seconds = storeAll(s), prescribed = 0.05 + 100 * unit / 1000.0;
            if (job == SenderJob::kSendAllPatchRequestSysex) {
                s.librarian.upperBankIndex = 1;
                seconds = s.run(job, [](SenderJob& j) { j.bank = kBank; });
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
            state.SetIterationTime(seconds);
            state.counters["prescribed_s"] = prescribed;
            state.counters["ratio"] = seconds / prescribed;
            state.counters["din_floor_s"] = kDinFloorSeconds;
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

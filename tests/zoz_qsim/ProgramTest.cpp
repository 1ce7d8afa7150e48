// zoz-qsim as a program on the MIDI system: the test holds the other end of its cable.

#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiInput.h"
#include "platform/midi/MidiOutput.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/QsimProcess.h"
#include "tests/support/Watchdog.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::QsimProcess;

const Bytes kProbe = {0xF0, 0x3E, 0x0F, 0x05, 0x04, 0xF7};

std::string name(const char* tag) {
    return std::string("zozqsim") + std::to_string(getpid()) + tag;
}

// The test's end of the cable to the simulator: out into its input, in from its output. It is
// made of the plug-in's own ports, one client each whose port goes only with it: libjack's own
// thread walks a running client's ports unguarded, so a port that went from one (as the MIDI
// library's do as they close) crashed it now and then. What comes in is handed over on the
// relay's thread.
struct Cable {
    explicit Cable(const QsimProcess& synth) {
        const platform::MidiSystem system = platform::LookForMidiPorts(name("cable")).system;
        in = platform::NewMidiInput(system, name("cable"), relay, errors);
        out = platform::NewMidiOutput(system, name("cable") + "-out", errors);
        EXPECT_TRUE(in && in->Open(synth.OutPort(), "in")) << "no port " << synth.OutPort();
        EXPECT_TRUE(out && out->Open(synth.InPort(), "out")) << "no port " << synth.InPort();
    }
    void arrived(const Bytes& m) {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(m);
        changed.notify_all();
    }
    // The next message from the simulator within timeoutMs, or an empty one.
    Bytes next(int timeoutMs = 5000) {
        std::unique_lock<std::mutex> lock(mutex);
        if (!changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return !messages.empty(); }))
            return {};
        Bytes m = std::move(messages.front());
        messages.pop_front();
        return m;
    }
    void send(const Bytes& m) {
        if (out) out->Send(m.data(), m.size());
    }
    // A new connection may lose what is sent first: probes until one is answered, then lets
    // the answers to earlier probes come in.
    bool connected() {
        for (int i = 0; i < 50; ++i) {
            send(kProbe);
            if (next(100).size() != 207) continue;
            while (!next(300).empty()) {
            }
            return true;
        }
        return false;
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Bytes> messages;
    platform::MidiErrors errors{nullptr};
    // Before the input, which hands it what arrives; it outlives the input.
    platform::MidiInputRelay relay{[this](const Bytes& m) { arrived(m); }};
    std::unique_ptr<platform::MidiInput> in;
    std::unique_ptr<platform::MidiOutput> out;
};

class QsimProgram : public testing::Test {
protected:
    void SetUp() override {
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(60, "zoz-qsim on the MIDI system");
    }
    std::unique_ptr<testsupport::Watchdog> watchdog;
};

TEST_F(QsimProgram, AnswersOverItsPortsRecordsBothWaysAndSavesItsMemory) {
    QsimProcess synth(name("a"), {5, 0, "00.30.03", ""});
    ASSERT_TRUE(synth.Ready());
    Cable cable(synth);
    ASSERT_TRUE(cable.connected());

    // Garbage first: it must not stop the answers that follow.
    std::mt19937 random(7);
    for (int i = 0; i < 20; ++i) {
        Bytes junk(2 + random() % 40);
        for (uint8_t& b : junk)
            b = uint8_t(random() & 0x7F);
        junk.front() = 0xF0;
        junk.back() = 0xF7;
        cable.send(junk);
    }
    cable.send({0xF0, 0x3E, 0x0F, 0x05, 0x00, 0x30, 0x03, 0xF7}); // silent
    cable.send({0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x02, 0x00, 0x4E, 0x33, 0xF7});
    cable.send({0xF0, 0x3E, 0x0F, 0x05, 0x00, 0x30, 0x02, 0xF7});
    const Bytes part2 = cable.next();
    ASSERT_EQ(part2.size(), 393u);
    EXPECT_EQ(Bytes(part2.begin(), part2.begin() + 7),
              (Bytes{0xF0, 0x3E, 0x0F, 0x05, 0x10, 0x30, 0x02}));
    EXPECT_EQ(part2[85], 0x33) << "the change reached the edit buffer first";

    const Bytes fromPanel = {0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x05, 0x37, 0xF7};
    ASSERT_TRUE(synth.Send(fromPanel));
    EXPECT_EQ(cable.next(), fromPanel);

    testsupport::TempFolder folder;
    qsim::SynthSimulator memory;
    ASSERT_TRUE(synth.SaveMemory(folder.path() + "/memory.syx", memory));
    EXPECT_EQ(memory.dumpAt(0x10, 0x30, 0x02), part2);
    EXPECT_EQ(synth.Finish(), 0);

    // Every message both ways is on the record, in order; the silent request has no answer.
    const std::vector<Bytes> sent = synth.Sent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[sent.size() - 2], part2);
    EXPECT_EQ(sent.back(), fromPanel);
    const std::vector<Bytes> received = synth.Received();
    ASSERT_GE(received.size(), 23u);
    EXPECT_EQ(received.back(), (Bytes{0xF0, 0x3E, 0x0F, 0x05, 0x00, 0x30, 0x02, 0xF7}));
}

// A tool's manners: --help is no error, a missing MIDI system is said in a line of its own,
// and an input line longer than the limit is refused whole.
TEST_F(QsimProgram, HelpAMissingMidiSystemAndOverlongLinesAreAnsweredPlainly) {
    std::string out;
    EXPECT_EQ(testsupport::RunProgram({ZOZ_QSIM_PATH, "--help"}, &out), 0);
    EXPECT_EQ(out.rfind("usage: zoz-qsim", 0), 0u) << out;
    const std::vector<std::string> noServer = {
        "JACK_DEFAULT_SERVER=zoz-none-" + std::to_string(getpid()), "ZOZ_MIDI_API=jack"};
    EXPECT_EQ(testsupport::RunProgram({"/bin/sh", "-c", "exec \"$0\" 2>&1", ZOZ_QSIM_PATH}, &out,
                                      60000, noServer),
              1);
    EXPECT_EQ(out, "zoz-qsim: no MIDI system for its ports: no JACK server (ZOZ_MIDI_API)\n");

    testsupport::ChildProcess synth({ZOZ_QSIM_PATH, "--name=" + name("c")});
    std::string line;
    ASSERT_TRUE(synth.ReadLine(&line, 10000) && line.rfind("ready", 0) == 0) << line;
    const std::string message = "F0 7E F7";
    ASSERT_TRUE(synth.WriteLine(std::string(65537 - message.size(), ' ') + message));
    ASSERT_TRUE(synth.WriteLine(std::string(65536 - message.size(), ' ') + message));
    EXPECT_TRUE(synth.ReadLine(&line, 10000));
    EXPECT_EQ(line, "error: a line of more than 65536 characters is not read");
    EXPECT_TRUE(synth.ReadLine(&line, 10000));
    EXPECT_EQ(line, "tx F0 7E F7");
}

// A memory file (dumps among other bytes, another device's included) is where it starts.
TEST_F(QsimProgram, StartsFromAMemoryFile) {
    testsupport::TempFolder folder;
    Bytes slot = testsupport::soundDump(testsupport::DumpModel::Q, "Stored", "Lead", 3, 9, 0x03);
    slot[6] = 0x63;
    testsupport::setChecksum(&slot);
    Bytes file = slot;
    file.insert(file.begin(), {0x00, 0x7F});
    testsupport::writeFile(folder.path() + "/start.syx", file);

    QsimProcess synth(name("b"), {5, 0, "", folder.path() + "/start.syx"});
    ASSERT_TRUE(synth.Ready());
    Cable cable(synth);
    ASSERT_TRUE(cable.connected());
    cable.send({0xF0, 0x3E, 0x0F, 0x05, 0x00, 0x03, 0x63, 0xF7});
    Bytes expected = slot;
    expected[3] = 5;
    EXPECT_EQ(cable.next(), expected);
    EXPECT_EQ(synth.Finish(), 0);
}

} // namespace

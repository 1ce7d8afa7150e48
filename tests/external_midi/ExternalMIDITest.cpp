// The external MIDI ports on a real MIDI system: a private JACK server, with a second program
// (the peer) at the far end of each port.

#include "kit/effect/IEffectVST.h"
#include "platform/midi/MidiInput.h"
#include "platform/midi/MidiOutput.h"
#include "tests/external_midi/ExternalMIDIFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kInProbe = "msg 80 00 00"; // the plug-in's input drops active sensing

std::string hex(const Bytes& bytes) {
    std::string s;
    char h[4];
    for (uint8_t b : bytes) {
        snprintf(h, sizeof(h), " %02X", b);
        s += h;
    }
    return s;
}

// A dump of n bytes from F0 to F7 whose data bytes count up.
Bytes dump(size_t n) {
    Bytes d(n);
    d[0] = 0xF0;
    for (size_t i = 1; i + 1 < n; ++i)
        d[i] = uint8_t(i & 0x7F);
    d[n - 1] = 0xF7;
    return d;
}

// A plug-in whose MIDI from the input port can be waited for.
class ListeningEffect : public testsupport::TestVSTEffect {
public:
    ListeningEffect() : TestVSTEffect(nullptr) {}
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override {
        record(hex({msg->status, msg->data1, msg->data2}), fromHardware);
    }
    void ProcessSysEx(ISysEx* sysex, bool fromHardware) override {
        record(hex(Bytes(sysex->data, sysex->data + sysex->size)), fromHardware);
    }
    // The first n messages, or fewer when they did not come in time.
    std::vector<std::string> WaitFor(size_t n) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                           [&] { return m_received.size() >= n; });
        return m_received;
    }
    bool ProbeArrived() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_arrived.wait_for(lock, std::chrono::milliseconds(kProbeWaitMs),
                                  [&] { return m_probed; });
    }
    bool AllFromHardware() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_allFromHardware;
    }

private:
    void record(const std::string& text, bool fromHardware) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if ("msg" + text == kInProbe) {
            m_probed = true;
            m_arrived.notify_all();
            return;
        }
        m_received.push_back("msg" + text);
        m_allFromHardware = m_allFromHardware && fromHardware;
        m_arrived.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::string> m_received;
    bool m_probed = false;
    bool m_allFromHardware = true;
};

TEST_F(ExternalMIDI, EverySendArrivesIntactAndInOrder) {
    auto receiver = peer("receive", "r", "in");
    testsupport::TestVSTEffect plug(nullptr);
    const std::vector<std::string>& names = plug.getExternalMIDIOutNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], kNoDevice);
    int selection = 1;
    plug.setExternalMIDIOut(selection, portOf("r", "in").c_str());
    ASSERT_GT(selection, 0);
    EXPECT_EQ(names[size_t(selection)], portOf("r", "in"));
    ASSERT_TRUE(outputRouted(plug, *receiver));

    IMidiMsg program(0, 0xC0, 0x05, 0xFF); // as the program-change builder makes it
    IMidiMsg volume(0, 0xB0, 0x07, 0x64), pressure(0, 0xD0, 0x40, 0x00);
    IMidiMsg note(0, 0x90, 0x3C, 0x64), notStatus(0, 0x3C, 0x64, 0x00);
    Bytes bare = {0x3E, 0x0F, 0x00}, framed = {0xF0, 0x3E, 0x0F, 0x00, 0xF7};
    const Bytes sound = dump(393), pattern = dump(545);
    Bytes soundCopy = sound;

    EXPECT_TRUE(plug.SendMidiMsg(&program));
    EXPECT_TRUE(plug.SendMidiMsg(&volume));
    EXPECT_TRUE(plug.SendMidiMsg(&pressure));
    EXPECT_FALSE(plug.SendMidiMsg(&notStatus));
    EXPECT_TRUE(plug.SendMidiSysex(bare.data(), int(bare.size())));
    EXPECT_TRUE(plug.SendMidiSysex(framed.data(), int(framed.size())));
    EXPECT_TRUE(plug.SendPatchSysex(soundCopy.data(), int(soundCopy.size())));
    EXPECT_TRUE(plug.SendMidiSysex2(pattern));
    EXPECT_TRUE(plug.SendMidiSysex2(dump(16000)));
    EXPECT_FALSE(plug.SendMidiSysex2(dump(16001)));
    KIT_TypedBuf<IMidiMsg> burst;
    burst.Add(note);
    burst.Add(notStatus);
    burst.Add(volume);
    EXPECT_FALSE(plug.SendMidiMsgs(&burst)); // the one refused does not stop the others

    const std::vector<std::string> expected = {
        "msg C0 05",          "msg B0 07 64",       "msg D0 40",
        "msg F0 3E 0F 00 F7", "msg F0 3E 0F 00 F7", "msg" + hex(sound),
        "msg" + hex(pattern), "msg" + hex(dump(16000)), "msg 90 3C 64",
        "msg B0 07 64",
    };
    EXPECT_EQ(received(*receiver, expected.size()), expected);
}

TEST_F(ExternalMIDI, SelectionOpensThePortNamedAndOnlyIt) {
    auto a = peer("receive", "a", "in");
    auto b = peer("receive", "b", "in");
    testsupport::TestVSTEffect plug(nullptr);
    const std::vector<std::string> names = plug.getExternalMIDIOutNames();
    const int idxA = plug.getExternalMIDIOutDevice(portOf("a", "in").c_str());
    const int idxB = plug.getExternalMIDIOutDevice(portOf("b", "in").c_str());
    ASSERT_GT(idxA, 0);
    ASSERT_GT(idxB, 0);
    EXPECT_EQ(plug.GetMIDIOutPortNumber(portOf("b", "in").c_str()), idxB);
    EXPECT_EQ(plug.GetMIDIOutPortNumber(kNoDevice), 0);
    EXPECT_EQ(plug.GetMIDIOutPortNumber("virtual output"), 1);
    EXPECT_EQ(plug.GetMIDIOutPortNumber("no such port"), -1);

    int selection = 1;
    plug.setExternalMIDIOut(selection, portOf("b", "in").c_str());
    EXPECT_EQ(selection, idxB);
    ASSERT_TRUE(outputRouted(plug, *b));
    IMidiMsg first(0, 0x90, 0x40, 0x01), second(0, 0x90, 0x41, 0x02);
    EXPECT_TRUE(plug.SendMidiMsg(&first));
    // Delivered before the switch: a port closed at once drops what it has not yet passed on.
    EXPECT_EQ(received(*b, 1), std::vector<std::string>{"msg 90 40 01"});
    plug.setExternalMIDIOut(selection, portOf("a", "in").c_str());
    EXPECT_EQ(selection, idxA);
    ASSERT_TRUE(outputRouted(plug, *a));
    EXPECT_TRUE(plug.SendMidiMsg(&second));
    EXPECT_EQ(received(*a, 1), std::vector<std::string>{"msg 90 41 02"}); // never the first

    // "Select MIDI Device", an unknown name and selection 0 all leave nothing open.
    plug.setExternalMIDIOut(selection, kNoDevice);
    EXPECT_EQ(selection, 0);
    EXPECT_FALSE(plug.SendMidiMsg(&first));
    selection = 1;
    plug.setExternalMIDIOut(selection, "no such port");
    EXPECT_EQ(selection, 0);
    EXPECT_FALSE(plug.SendMidiMsg(&first));
    selection = 0;
    plug.setExternalMIDIOut(selection, portOf("a", "in").c_str());
    EXPECT_EQ(selection, 0);
    EXPECT_FALSE(plug.SendMidiMsg(&first));

    // The list is built once: a port that appears later is not in it.
    auto c = peer("receive", "c", "in");
    {
        KIT_MutexLock lock(plug.GetMutex()); // the port watch may still be ending
        EXPECT_EQ(plug.getExternalMIDIOutNames(), names);
    }
    EXPECT_EQ(plug.getExternalMIDIOutDevice(portOf("c", "in").c_str()), -1);
}

// The list is as old as the plug-in; a port that went since must not shift the choice onto
// another device.
TEST_F(ExternalMIDI, OldListStillOpensThePortNamed) {
    std::unique_ptr<ChildProcess> peers[2] = {peer("receive", "p", "in"),
                                              peer("receive", "q", "in")};
    const std::string ports[2] = {portOf("p", "in"), portOf("q", "in")};
    testsupport::TestVSTEffect plug(nullptr);
    plug.getExternalMIDIOutNames();
    const int idx[2] = {plug.getExternalMIDIOutDevice(ports[0].c_str()),
                        plug.getExternalMIDIOutDevice(ports[1].c_str())};
    ASSERT_GT(idx[0], 0);
    ASSERT_GT(idx[1], 0);
    // The port listed first goes, so that the other one's place in the system's list moves.
    const int gone = idx[0] < idx[1] ? 0 : 1, kept = 1 - gone;
    ASSERT_EQ(peers[gone]->Finish(nullptr, kWaitMs), 0);

    int selection = 1;
    plug.setExternalMIDIOut(selection, ports[kept].c_str());
    EXPECT_EQ(selection, idx[kept]);
    ASSERT_TRUE(outputRouted(plug, *peers[kept]));
    IMidiMsg note(0, 0x92, 0x24, 0x10);
    EXPECT_TRUE(plug.SendMidiMsg(&note));
    EXPECT_EQ(received(*peers[kept], 1), std::vector<std::string>{"msg 92 24 10"});

    selection = 1;
    plug.setExternalMIDIOut(selection, ports[gone].c_str());
    EXPECT_EQ(selection, 0);
    EXPECT_FALSE(plug.SendMidiMsg(&note));
}

TEST_F(ExternalMIDI, InputHandsMessagesToThePlugIn) {
    auto sender = peer("send", "s", "out");
    ListeningEffect plug;
    const std::vector<std::string>& names = plug.getExternalMIDIInNames();
    EXPECT_EQ(names[0], kNoDevice);
    EXPECT_EQ(plug.GetMIDIInPortNumber("virtual input"), 1);
    int selection = 1;
    plug.setExternalMIDIIn(selection, portOf("s", "out").c_str());
    ASSERT_GT(selection, 0);
    EXPECT_EQ(plug.getExternalMIDIInDevice(portOf("s", "out").c_str()), selection);

    std::string line;
    bool routed = false;
    for (int i = 0; i < kProbeTries && !routed; ++i) {
        ASSERT_TRUE(sender->WriteLine(kInProbe.substr(4)));
        ASSERT_TRUE(sender->ReadLine(&line, kWaitMs) && line == "sent") << line;
        routed = plug.ProbeArrived();
    }
    ASSERT_TRUE(routed);

    const Bytes sound = dump(393);
    // Clock, time code and active sensing never reach the plug-in, nor cost the message beside
    // them; an undefined status byte is dropped where it stands. A SysEx cut short (a cable
    // pulled, a synthesizer reset) holds back nothing after it: the note comes at once, with no
    // F7 sent after it.
    for (const std::string& out :
         {std::string("90 3C 64"), std::string("D0 40"), std::string("F8"), std::string("FE"),
          std::string("F1 05"), std::string("F8 B7 07 2C"), std::string("F9 93 3C 64"),
          std::string("F0 3E 0F 00 00 F7"), hex(sound).substr(1),
          std::string("F0 3E 0F 00 20 00 00 4E 11"), std::string("92 3C 64")}) {
        ASSERT_TRUE(sender->WriteLine(out));
        ASSERT_TRUE(sender->ReadLine(&line, kWaitMs) && line == "sent") << line;
    }
    const std::vector<std::string> expected = {
        "msg 90 3C 64",          "msg D0 40 00",     "msg B7 07 2C", "msg 93 3C 64",
        "msg F0 3E 0F 00 00 F7", "msg" + hex(sound), "msg 92 3C 64"};
    EXPECT_EQ(plug.WaitFor(expected.size()), expected);
    EXPECT_TRUE(plug.AllFromHardware());
    EXPECT_EQ(plug.DroppedMIDICount(), 2u); // F9 and the cut SysEx

    selection = 0;
    plug.setExternalMIDIIn(selection, portOf("s", "out").c_str());
    EXPECT_EQ(selection, 0);
}

// What a relay is handed, to be waited for.
struct Relayed {
    std::mutex mutex;
    std::condition_variable more;
    std::vector<Bytes> messages;

    void take(const Bytes& m) {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(m);
        more.notify_all();
    }
    void waitForMore(size_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        const size_t until = messages.size() + n;
        more.wait(lock, [&] { return messages.size() >= until; });
    }
};

// The plug-in's input on JACK, fed by the peer without a pause: a SysEx cut short, a note, a
// whole dump of 393 bytes, timing, time code and active sensing, each event as it came. Its
// port is closed, opened again and at last taken down with its client while they come: each
// message arrives whole, the note never joined onto the cut SysEx, and nothing reaches the
// relay once the input has gone (AddressSanitizer, ThreadSanitizer).
TEST_F(ExternalMIDI, JackInputTakesEachEventWholeAlsoWhileItsPortClosesAndGoes) {
    auto sender = peer("send", "w", "out");
    const Bytes cut = {0xF0, 0x3E, 0x0F, 0x00, 0x20}, note = {0x92, 0x3C, 0x64}, sound = dump(393);
    Relayed relayed;
    auto relay =
        std::make_unique<platform::MidiInputRelay>([&](const Bytes& m) { relayed.take(m); });
    platform::MidiErrors errors(nullptr);
    auto input = platform::NewMidiInput(platform::MidiSystem::kJack, client("i"), *relay, errors);
    ASSERT_TRUE(input);
    EXPECT_FALSE(input->Open(portOf("w", "out") + "x", "RtMidi Input"));
    std::atomic<bool> stop{false};
    std::thread feed([&] {
        std::string line;
        for (bool on = true; on && !stop;)
            for (const std::string& out :
                 {hex(cut), hex({0xF8}), hex(note), hex(sound), hex({0xFE}), hex({0xF1, 0x05})})
                on = on && sender->WriteLine(out.substr(1)) && sender->ReadLine(&line, kWaitMs);
    });
    for (int round = 0; round < 3; ++round) {
        const bool opened = input->Open(portOf("w", "out"), "RtMidi Input");
        EXPECT_TRUE(opened);
        if (!opened) break;
        relayed.waitForMore(12);
        if (round < 2) input->Close();
    }
    input.reset();
    relay.reset();
    stop = true;
    feed.join();
    EXPECT_FALSE(errors.TakeFailure());
    const std::set<Bytes> sent = {cut, note, sound, {0xF8}, {0xFE}, {0xF1, 0x05}};
    for (size_t i = 0; i < relayed.messages.size(); ++i)
        ASSERT_EQ(sent.count(relayed.messages[i]), 1u) << "message " << i;
    EXPECT_EQ(std::set<Bytes>(relayed.messages.begin(), relayed.messages.end()), sent);
}

// JACK's own output fed faster than the server takes: five dumps of the largest size the
// plug-in sends, more than the output's ring and a cycle's buffer hold, wait for room and
// arrive whole and in order. Closed, it sends nothing and its client is gone; opened again, it
// sends.
TEST_F(ExternalMIDI, JackOutputWaitsForRoomAndHasAClientOnlyWhileOpen) {
    auto receiver = peer("receive", "big", "in");
    platform::MidiErrors errors(nullptr);
    auto output = platform::NewMidiOutput(platform::MidiSystem::kJack, client("o"), errors);
    const auto routed = [&] {
        const Bytes probe = {0xFE};
        std::string line;
        for (int i = 0; i < kProbeTries; ++i)
            if (output->Send(probe.data(), 1) && receiver->ReadLine(&line, kProbeWaitMs) &&
                line == kOutProbe)
                return true;
        return false;
    };
    const auto listed = [&] {
        const platform::MidiPorts ports =
            platform::LookForMidiPorts(client("look"), platform::MidiSystem::kJack);
        return std::any_of(ports.sources.begin(), ports.sources.end(), [](const std::string& p) {
            return p.rfind(client("o") + ":", 0) == 0;
        });
    };
    const Bytes note = {0x90, 0x3C, 0x64};
    EXPECT_FALSE(output->Send(note.data(), note.size()));
    EXPECT_FALSE(output->Open(portOf("big", "in") + "x", "RtMidi Output"));
    EXPECT_FALSE(listed());
    ASSERT_TRUE(output->Open(portOf("big", "in"), "RtMidi Output"));
    ASSERT_TRUE(routed());
    std::vector<std::string> expected;
    for (uint8_t i = 0; i < 5; ++i) {
        Bytes big = dump(16000);
        big[1] = i;
        EXPECT_TRUE(output->Send(big.data(), big.size()));
        expected.push_back("msg" + hex(big));
    }
    EXPECT_EQ(received(*receiver, expected.size()), expected);

    output->Close();
    EXPECT_FALSE(output->Send(note.data(), note.size()));
    EXPECT_FALSE(listed());
    ASSERT_TRUE(output->Open(portOf("big", "in"), "RtMidi Output"));
    ASSERT_TRUE(routed());
    EXPECT_TRUE(output->Send(note.data(), note.size()));
    EXPECT_EQ(received(*receiver, 1), std::vector<std::string>{"msg 90 3C 64"});
    EXPECT_FALSE(errors.TakeFailure());
}

TEST_F(ExternalMIDI, VirtualOutputIsOpenToOtherPrograms) {
    testsupport::TestVSTEffect plug(nullptr);
    const std::string name = "Zoz " + std::to_string(getpid());
    ASSERT_TRUE(plug.initializeVirtualOutput(name));
    auto receiver = peer("receive-from", "v", "From " + name);
    ASSERT_TRUE(outputRouted(plug, *receiver));
    IMidiMsg note(0, 0x91, 0x30, 0x7F);
    EXPECT_TRUE(plug.SendMidiMsg(&note));
    EXPECT_EQ(received(*receiver, 1), std::vector<std::string>{"msg 91 30 7F"});
}

// Without a server to talk to, the lists offer no device and nothing is sent (nor waited for).
TEST(ExternalMIDIWithoutServer, OffersOnlyTheEmptyChoice) {
    testsupport::Watchdog watchdog(60, "ExternalMIDIWithoutServer");
    const char* before = getenv("JACK_DEFAULT_SERVER");
    const std::string saved = before ? before : "";
    setenv("JACK_DEFAULT_SERVER", ("zoz-none-" + std::to_string(getpid())).c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("ZOZ_MIDI_API", "jack", 1);
    {
        testsupport::TestVSTEffect plug(nullptr);
        EXPECT_EQ(plug.getExternalMIDIOutNames(), std::vector<std::string>{kNoDevice});
        EXPECT_EQ(plug.getExternalMIDIInNames(), std::vector<std::string>{kNoDevice});
        int selection = 1;
        plug.setExternalMIDIOut(selection, "system:midi_playback_1");
        EXPECT_EQ(selection, 0);
        selection = 1;
        plug.setExternalMIDIIn(selection, kNoDevice);
        EXPECT_EQ(selection, 0);
        unsigned char bytes[] = {0xF0, 0x01, 0xF7};
        EXPECT_FALSE(plug.SendMidiSysex(bytes, 3));
        EXPECT_FALSE(plug.SendMidiSysex(bytes, -1));
        EXPECT_EQ(plug.GetMIDIInPortNumber("anything"), -1);
    }
    if (before)
        setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
    else
        unsetenv("JACK_DEFAULT_SERVER");
}

} // namespace

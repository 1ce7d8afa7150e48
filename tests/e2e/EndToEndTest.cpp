// Sessions through zoz-host: the editor's module with its editor open on the virtual display,
// driven with the pointer, and the simulated synthesizer on the MIDI system at the far end of
// the ports its settings file names. Each runs on the generated session configuration and on
// the product's own; the checks read the synthesizer's record, the saved project chunk and the
// files written. The first message on a newly opened port may be lost: no check relies on it.

#include "src/librarian/LibrarianInitData.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/PatternDumpLayout.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/e2e/ProjectChunk.h"
#include "tests/e2e/Session.h"
#include "tests/e2e/fixture/SessionLayout.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/Watchdog.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <utility>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using sessionlayout::Point;

constexpr int kWaitMs = 30000;
constexpr int kRunMs = 100000; // longer than any session: a line on standard input ends a run
constexpr int kPauseMs = 100;  // the probe's pause unit, as start-up sets the pause menu

// Where the sessions point, in both configurations: the main tab's buttons are 100 wide, the
// quick tab's 40 apart; the bank edit menu the plug-in places itself.
constexpr Point kMultiTab = {238, 18}, kLibrarianTab = {338, 18}, kFilterTab = {538, 18};
constexpr int kBankEditMenu[4] = {839, 187, 916, 205};
Point partButton(int part) { return {53, 120 + 40 * part}; }

// The bank edit menu's rows (index, separators above).
using Row = Session::MenuRow;
constexpr Row kRequestData = {0, 0}, kStoreData = {2, 1}, kSyncFromHardware = {4, 2},
              kSaveBank = {7, 3};
constexpr Row kFromActiveSlotToEditor = {0, 0}, kAllPatchesFromBankA = {4, 1},
              kAllCurrentPatchesToBankA = {2, 1};

struct Configuration {
    const char* name;
    const char* resources;
    Point cutoffKnob; // part 1's filter 1 cutoff, shown on the Filter/Env page
    Point sounds;     // the librarian's first data type; the others follow 60 apart
};

const Configuration kConfigurations[] = {
    {"Session", ZOZ_SESSION_RESOURCES,
     {sessionlayout::kCutoffKnob.x + 13, sessionlayout::kCutoffKnob.y + 14},
     {sessionlayout::kDatatype.x + 27, sessionlayout::kDatatype.y + 8}},
    {"Product", ZOZ_PRODUCT_RESOURCES, {234, 136}, {276, 132}},
};

void PrintTo(const Configuration& c, std::ostream* out) {
    *out << c.name;
}

class EndToEnd : public testing::TestWithParam<Configuration> {
protected:
    void SetUp() override {
        const std::string missing = Session::Missing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(
            115, testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    // A session on this test's configuration with a synthesizer of these options.
    std::unique_ptr<Session> session(const std::string& tag,
                                     const testsupport::QsimProcess::Options& synth) {
        Session::Options o;
        o.synth = synth;
        o.configuration = GetParam().resources;
        return std::make_unique<Session>(tag, o);
    }

    // Starts the host with the editor open and waits until the probe of start-up has been
    // answered, or has run its course for a silent synthesizer.
    static bool start(Session& s, const std::vector<std::string>& commands) {
        std::vector<std::string> all = {"editor-open", "run=" + std::to_string(kRunMs)};
        all.insert(all.end(), commands.begin(), commands.end());
        return s.Ready() && s.StartHost(ZOZ_EDITOR_PATH, all) &&
               s.WaitForHost("host: editor open", kWaitMs);
    }
    static bool answered(Session& s) {
        return s.Synth().WaitFor([](const auto& m) { return !m.received && m.bytes.size() == 207; },
                                 kWaitMs);
    }
    // Ends the running "run=" and reads the chunk the next command saves to path.
    static bool savedChunk(Session& s, const std::string& path, ProjectChunk* chunk) {
        if (!s.NextCommand() || !s.WaitForHost("host: saved chunk", kWaitMs)) return false;
        const Bytes bytes = testsupport::readFile(path);
        const bool read = chunk->Read(bytes);
        EXPECT_TRUE(read) << "a chunk of " << bytes.size() << " bytes";
        return read;
    }
    // Drags part 1's cutoff knob on its page down, then up: whether the knob starts at its
    // minimum or its maximum, the second drag sends, and the last value sent is the one the
    // plug-in holds.
    static bool editCutoff(Session& s) {
        const Point knob = GetParam().cutoffKnob;
        if (!select(s, kFilterTab) || !s.Drag(knob.x, knob.y, 30)) return false;
        // Apart by more than a double click's time.
        std::this_thread::sleep_for(std::chrono::milliseconds(10 * kPauseMs));
        return s.Drag(knob.x, knob.y, -15);
    }
    // Clicks a button that switches a page or what the librarian shows. The editor follows at
    // its next idle, late on a loaded machine: a click before it lands on the page before.
    static bool click(Session& s, Point at) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2 * kPauseMs));
        const bool clicked = s.Click(at.x, at.y);
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * kPauseMs));
        return clicked;
    }
    // Shows a main page or chooses a part: clicks its tab until the tab shows selected, as
    // start-up may still switch the page back or take the click while its progress shows.
    static bool select(Session& s, Point tab) {
        for (int attempt = 0; attempt < 3; ++attempt)
            if (click(s, tab) && (s.PixelAt(tab.x - 42, tab.y) >> 8 & 0xFF) > 0x80) return true;
        return false;
    }
    static bool dataType(Session& s, int type) {
        return click(s, {GetParam().sounds.x + 60 * type, GetParam().sounds.y});
    }
    static bool choose(Session& s, const std::vector<Row>& rows) {
        return s.ChooseMenuItem(kBankEditMenu, rows);
    }
    // Waits for the synthesizer to send a dump of this id and size.
    static bool sent(Session& s, uint8_t id, size_t size, int timeoutMs = kWaitMs) {
        return s.Synth().WaitFor(
            [&](const auto& m) {
                return !m.received && m.bytes.size() == size && m.bytes[4] == id;
            },
            timeoutMs);
    }
    // The session configuration lacks the MIDI filter switches and the librarian's program
    // and bank controls, whose parameters then start at 0.
    static bool onProductConfiguration() {
        return GetParam().resources == std::string(ZOZ_PRODUCT_RESOURCES);
    }
    static void quit(Session& s) {
        ASSERT_TRUE(s.QuitHost());
        EXPECT_EQ(s.FinishHost(), 0);
    }

    std::unique_ptr<testsupport::Watchdog> watchdog;
};

// The first bytes of each message, for a failure's report.
std::string heads(const std::vector<Bytes>& messages) {
    std::string text;
    for (const Bytes& m : messages) {
        for (size_t i = 0; i < std::min<size_t>(m.size(), 10); ++i) {
            char hex[4];
            snprintf(hex, sizeof hex, "%02X ", m[i]);
            text += hex;
        }
        text += "(" + std::to_string(m.size()) + ")\n";
    }
    return text;
}

// The dump with bytes changed, checksummed again.
Bytes changed(Bytes dump, std::initializer_list<std::pair<int, int>> bytes) {
    for (const auto& [at, value] : bytes)
        dump[size_t(at)] = uint8_t(value);
    testsupport::setChecksum(&dump);
    return dump;
}
// The dump with a name of 16 characters at `at`.
Bytes named(Bytes dump, size_t at, const char (&name)[17]) {
    std::copy(name, name + 16, dump.begin() + long(at));
    return changed(dump, {});
}
// The init sound in part `part`'s edit buffer with an oscillator level, cutoff, resonance, LFO
// speed and two envelope times of its own: bytes in their parameters' ranges in both
// configurations. Byte 334 is no parameter's: it holds the constant the editor writes there.
Bytes soundOf(uint8_t part) {
    const Bytes init(std::begin(initPatchData), std::end(initPatchData));
    return changed(init, {{5, 0x30}, {6, part}, {334, 0x47}, {68, 0x5A - part}, {85, 0x21 + part},
                          {87, 0x35 + part}, {168, 0x47 - part}, {206, 0x0C + part},
                          {224, 0x66 - part}});
}

// Whether the chunk's values of part `part` give the dump's bytes back through its table.
void expectSound(const ProjectChunk& chunk, uint8_t part, const Bytes& dump) {
    const int model = int(chunk.Value(kQModel));
    for (const SoundDump::Byte& row : SoundDump::layout()) {
        const auto value = [&](int param) {
            return SoundDump::truncated(chunk.Value(param + part));
        };
        EXPECT_EQ(SoundDump::encode(row, value, model), dump[size_t(row.offset)])
            << "part " << int(part) << ", sound byte " << row.offset;
    }
}
void expectPattern(const ProjectChunk& chunk, uint8_t part, const Bytes& dump) {
    for (const DumpByte& row : PatternDump::layout()) {
        const int value = SoundDump::truncated(chunk.Value(row.param + part));
        EXPECT_EQ(PatternDump::encode(row, value), dump[size_t(row.offset)])
            << "part " << int(part) << ", pattern byte " << row.offset;
    }
}

// How many dumps the synthesizer received.
long dumpsReceived(Session& s) {
    const std::vector<Bytes> received = s.Synth().Received();
    return std::count_if(received.begin(), received.end(),
                         [](const Bytes& m) { return m.size() >= 207; });
}
Bytes partSelect(int part) {
    return {0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, uint8_t(2 * part + 1), 0xF7};
}
Bytes probe(int id) { return {0xF0, 0x3E, 0x0F, uint8_t(id), 0x04, 0xF7}; }
bool isProbe(const Bytes& m) { return m.size() == 6 && m[4] == 0x04; }
// The probes among the messages the synthesizer received, in order.
std::vector<Bytes> probesReceived(Session& s) {
    std::vector<Bytes> probes = s.Synth().Received();
    probes.erase(std::remove_if(probes.begin(), probes.end(),
                                [](const Bytes& m) { return !isProbe(m); }),
                 probes.end());
    return probes;
}

// Start-up opens the ports and probes with the stored id 0; a synthesizer at 0 answers the
// probe (or, were it lost, the scan's first request), one at 5 is found by the scan, which
// stops there, and the id it learnt travels in the chunk.
TEST_P(EndToEnd, StartUpProbesAndLearnsTheDeviceId) {
    for (const int id : {0, 5}) {
        SCOPED_TRACE(id);
        auto s = session("id" + std::to_string(id), {id, 0, "", ""});
        const std::string chunkFile = s->DataFolder() + "/project.chunk";
        ASSERT_TRUE(start(*s, {"save-chunk=" + chunkFile}));
        ASSERT_TRUE(answered(*s));
        // At 0 one request was answered, the probe's or, were that lost, the scan's first;
        // at 5 the probe (when it came through) and the scan's requests up to 5.
        const std::vector<Bytes> probes = probesReceived(*s);
        ASSERT_GE(probes.size(), size_t(id) + 1);
        ASSERT_LE(probes.size(), size_t(id) + (id ? 2 : 1));
        const size_t scan = probes.size() - size_t(id) - 1;
        for (size_t i = 0; i < probes.size(); ++i)
            EXPECT_EQ(probes[i], probe(i < scan ? 0 : int(i - scan)));
        // After the answer only the probe's last pause passes.
        std::this_thread::sleep_for(std::chrono::milliseconds(4 * kPauseMs));
        EXPECT_EQ(probesReceived(*s).size(), probes.size());
        ProjectChunk chunk;
        ASSERT_TRUE(savedChunk(*s, chunkFile, &chunk));
        EXPECT_EQ(chunk.Value(kGlobalSysExID), id);
        EXPECT_EQ(chunk.Name(17), s->Synth().OutPort());
        EXPECT_EQ(chunk.Name(18), s->Synth().InPort());
        quit(*s);
    }
}

// "from Active Slot to Plug-in GUI" brings the sound of the part shown and the pattern the
// synthesizer's pattern edit buffer holds (the last part selected): the chunk's values of the
// part give the synthesizer's bytes back. The sequence request brings that pattern to another
// part shown.
TEST_P(EndToEnd, AFetchBringsThePartsSoundAndPatternFromTheSynthesizer) {
    constexpr uint8_t kPart = 2, kOtherPart = 5;
    qsim::SynthSimulator memory;
    memory.fillCanonical();
    const Bytes sound = named(soundOf(kPart), SoundDump::kNameOffset, "Fetched Sound   ");
    memory.setDump(0x10, 0x30, kPart, sound);
    memory.answer(partSelect(kPart));
    const Bytes pattern = named(changed(memory.dumpAt(0x13, 0x20, 0), {{8, 0x0B},
                                                                       {31, 0x22},
                                                                       {31 + 16 + 1, 0x70},
                                                                       {31 + 32 + 8, 0x3C},
                                                                       {31 + 16 * 31 + 4, 3}}),
                                PatternDump::kNameOffset, "Fetched Pattern ");
    memory.setDump(0x13, 0x20, 0, pattern);
    testsupport::TempFolder folder;
    const std::string image = folder.path() + "/memory.syx";
    testsupport::writeFile(image, memory.image());

    auto s = session("fetch", {0, 0, "", image});
    const std::string chunkFile = s->DataFolder() + "/fetched.chunk";
    ASSERT_TRUE(start(*s, {"save-chunk=" + chunkFile}));
    ASSERT_TRUE(answered(*s));
    // Parts are chosen on the multi page: on the librarian's a new part goes to the synthesizer.
    ASSERT_TRUE(select(*s, partButton(kPart)));
    ASSERT_TRUE(select(*s, kLibrarianTab));
    ASSERT_TRUE(choose(*s, {kRequestData, kFromActiveSlotToEditor}));
    ASSERT_TRUE(sent(*s, 0x10, SoundDump::kSize)) << heads(s->Synth().Received());
    ASSERT_TRUE(sent(*s, 0x13, PatternDump::kSize));

    ASSERT_TRUE(select(*s, kMultiTab));
    ASSERT_TRUE(select(*s, partButton(kOtherPart)));
    ASSERT_TRUE(select(*s, kLibrarianTab));
    ASSERT_TRUE(dataType(*s, 2));
    ASSERT_TRUE(choose(*s, {kRequestData, kFromActiveSlotToEditor}));
    ASSERT_TRUE(sent(*s, 0x13, PatternDump::kSize)) << heads(s->Synth().Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kPauseMs));
    ProjectChunk chunk;
    ASSERT_TRUE(savedChunk(*s, chunkFile, &chunk));
    quit(*s);
    EXPECT_EQ(dumpsReceived(*s), 0) << "the fetch overwrote what it fetched";
    expectSound(chunk, kPart, sound);
    expectPattern(chunk, kPart, pattern);
    expectPattern(chunk, kOtherPart, pattern);
    EXPECT_EQ(chunk.Name(1 + kPart), "Fetched Sound   ");
    EXPECT_EQ(chunk.Name(35 + kOtherPart), "Fetched Pattern ");
}

// A drag on part 1's cutoff knob sends the change the synthesizer applies at dump byte 85; a
// change the synthesizer sends moves the control, and with local control on in its global
// dump the plug-in does not send it back.
TEST_P(EndToEnd, AnEditReachesTheSynthesizerAndItsChangeComesBackUnechoed) {
    qsim::SynthSimulator memory;
    memory.fillCanonical();
    Bytes global = memory.dumpAt(0x14, 0, 0);
    global[43] = 1; // local control
    testsupport::setChecksum(&global);
    memory.setDump(0x14, 0, 0, global);
    testsupport::TempFolder folder;
    const std::string image = folder.path() + "/memory.syx";
    testsupport::writeFile(image, memory.image());

    auto s = session("edit", {0, 0, "", image});
    const std::string edited = s->DataFolder() + "/edited.chunk";
    const std::string changed = s->DataFolder() + "/changed.chunk";
    ASSERT_TRUE(start(*s, {"save-chunk=" + edited, "run=" + std::to_string(kRunMs),
                           "save-chunk=" + changed}));
    ASSERT_TRUE(answered(*s));
    ASSERT_TRUE(editCutoff(*s));
    const auto cutoff = [](const Bytes& m) {
        return m.size() == 10 && m[4] == 0x20 && m[7] == 0x4E;
    };
    ASSERT_TRUE(s->Synth().WaitFor([&](const auto& m) { return m.received && cutoff(m.bytes); },
                                   kWaitMs)) << heads(s->Synth().Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kPauseMs));
    std::vector<Bytes> received = s->Synth().Received();
    const Bytes sent = *std::find_if(received.rbegin(), received.rend(), cutoff);
    const uint8_t vv = sent[8];
    EXPECT_EQ(sent, (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x4E, vv, 0xF7}));
    ProjectChunk chunk;
    ASSERT_TRUE(savedChunk(*s, edited, &chunk));
    EXPECT_EQ(int(chunk.Value(kFilter1Cutoff)), vv); // a drag leaves a fraction the message drops

    const uint8_t ww = vv == 0x11 ? 0x12 : 0x11;
    const size_t before = s->Synth().Received().size();
    ASSERT_TRUE(s->Synth().Send({0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x4E, ww, 0xF7}));
    std::this_thread::sleep_for(std::chrono::milliseconds(10 * kPauseMs));
    ASSERT_TRUE(savedChunk(*s, changed, &chunk));
    EXPECT_EQ(chunk.Value(kFilter1Cutoff), ww);
    received = s->Synth().Received();
    EXPECT_EQ(std::count_if(received.begin() + long(before), received.end(), cutoff), 0)
        << "sent back";
    quit(*s);

    // The synthesizer keeps the edit: its own change is not sent back to it.
    qsim::SynthSimulator after;
    ASSERT_TRUE(s->Synth().SaveMemory(s->DataFolder() + "/after.syx", after));
    EXPECT_EQ(after.dumpAt(0x10, 0x30, 0)[85], vv);
}

// "All Current Patches to Bank A" writes the librarian's bank, its dumps addressed to bank A
// and checksummed as the transfer writes them, to the synthesizer's bank A unchanged, through
// a MIDI cable's rate and an interface's buffer that would lose what outran them. A second
// session, whose bank holds init sounds, fetches bank A with "All Patches from Bank A" and saves
// it over that bank: the file then equals the first one byte for byte.
TEST_P(EndToEnd, ABankGoesToTheSynthesizerAndComesBackIntoAFileTheSame) {
    std::vector<testsupport::Dump> bank = testsupport::soundDumps(100, "Stored", "Lead");
    std::vector<testsupport::Dump> inits;
    for (int slot = 0; slot < 100; ++slot) {
        bank[size_t(slot)] = changed(bank[size_t(slot)], {{5, 0}, {6, slot}});
        inits.push_back(changed(soundOf(0), {{5, 0}, {6, slot}}));
    }
    // The last slot of bank A, received or sent by the synthesizer.
    const auto lastSlot = [](bool received) {
        return [received](const testsupport::QsimProcess::Message& m) {
            return m.received == received && m.bytes.size() == SoundDump::kSize &&
                   m.bytes[4] == 0x10 && m.bytes[5] == 0 && m.bytes[6] == 99;
        };
    };
    testsupport::TempFolder folder;
    const std::string image = folder.path() + "/memory.syx";
    {
        auto s = session("store", {0, 0, "", "", true});
        s->AddBank("Stored.syx", bank);
        ASSERT_TRUE(start(*s, {}));
        ASSERT_TRUE(answered(*s));
        ASSERT_TRUE(select(*s, kLibrarianTab));
        ASSERT_TRUE(choose(*s, {kStoreData, kAllCurrentPatchesToBankA}));
        ASSERT_TRUE(s->Synth().WaitFor(lastSlot(true), kWaitMs)) << heads(s->Synth().Received());
        quit(*s);
        // A JACK server that waited for a late client (an overloaded machine) hands the MIDI
        // of the cycles it waited over at once: dumps that overran the interface's buffer before
        // the synthesizer's cable are lost there, and the simulator names them.
        EXPECT_EQ(heads(s->Synth().Lost()), "")
            << "came to the synthesizer faster than its cable carries them and were lost";
        qsim::SynthSimulator stored;
        ASSERT_TRUE(s->Synth().SaveMemory(image, stored));
        for (uint8_t slot = 0; slot < 100; ++slot)
            EXPECT_EQ(stored.dumpAt(0x10, 0, slot), bank[slot]) << int(slot);
    }

    auto s = session("fetch", {0, 0, "", image});
    s->AddBank("Empty.syx", inits);
    ASSERT_TRUE(start(*s, {}));
    ASSERT_TRUE(answered(*s));
    ASSERT_TRUE(select(*s, kLibrarianTab));
    ASSERT_TRUE(choose(*s, {kRequestData, kAllPatchesFromBankA}));
    ASSERT_TRUE(s->Synth().WaitFor(lastSlot(false), kWaitMs)) << heads(s->Synth().Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kPauseMs));
    ASSERT_TRUE(choose(*s, {kSaveBank}));
    const std::string file = s->DataFolder() + "/Patches/Empty.syx";
    const Bytes source = testsupport::rawBankFile(bank);
    for (int ms = 0; ms < kWaitMs && testsupport::readFile(file) != source; ms += kPauseMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMs));
    EXPECT_EQ(testsupport::readFile(file), source);
    quit(*s);
}

// A project of the synthesizer's edit buffers, fetched through the bank edit menu, loaded by a
// new host beside a fresh synthesizer: the restore sends the global settings, the multi and
// the sound of every part the multi has on, and the fresh synthesizer's edit buffers then
// equal the first one's byte for byte.
TEST_P(EndToEnd, AProjectOfFetchedEditBuffersGivesAFreshSynthesizerTheFirstOnes) {
    constexpr int kActiveParts = 4;
    qsim::SynthSimulator memory;
    memory.fillCanonical();
    // Tuning and transpose at their middles, where the product's ranges hold them.
    memory.setDump(
        0x14, 0, 0,
        changed(memory.dumpAt(0x14, 0, 0), {{17, 0x36}, {18, 0x34}, {44, 0x20}, {45, 0x31}}));
    Bytes multi = changed(Bytes(std::begin(initMultiData), std::end(initMultiData)),
                          {{5, 0x20}, {6, 0}, {MultiDump::partByte(0, 3), 0x50}});
    for (int part = kActiveParts; part < 16; ++part)
        multi[size_t(MultiDump::partByte(part, MultiDump::kSettings1Offset))] = 16; // engine 1
    memory.setDump(0x11, 0x20, 0, named(multi, MultiDump::kNameOffset, "Fetched Multi   "));
    for (uint8_t part = 0; part < kActiveParts; ++part)
        memory.setDump(0x10, 0x30, part, soundOf(part));
    testsupport::TempFolder folder; // outlives the first session's data folder
    const std::string image = folder.path() + "/memory.syx";
    testsupport::writeFile(image, memory.image());
    const std::string project = folder.path() + "/project.chunk";

    auto first = session("first", {0, 0, "", image});
    ASSERT_TRUE(start(*first, {"save-chunk=" + project}));
    ASSERT_TRUE(answered(*first));
    ASSERT_TRUE(select(*first, kLibrarianTab));
    ASSERT_TRUE(choose(*first, {kSyncFromHardware}));
    // The multi comes last, then the first part is selected again.
    ASSERT_TRUE(sent(*first, 0x11, MultiDump::kSize)) << heads(first->Synth().Received());
    ASSERT_TRUE(first->Synth().WaitFor(
        [](const auto& m) { return m.received && m.bytes == partSelect(0); }, kWaitMs))
        << heads(first->Synth().Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kPauseMs));
    ProjectChunk saved;
    ASSERT_TRUE(savedChunk(*first, project, &saved));
    quit(*first);
    EXPECT_EQ(dumpsReceived(*first), 0) << "the fetch overwrote what it fetched";
    qsim::SynthSimulator before;
    ASSERT_TRUE(first->Synth().SaveMemory(first->DataFolder() + "/before.syx", before));

    // The project names the first synthesizer's ports: the fresh one takes them over.
    first.reset();
    auto fresh = session("first", {0, 0, "", ""});
    const std::string restored = fresh->DataFolder() + "/restored.chunk";
    ASSERT_TRUE(start(*fresh, {"load-chunk=" + project, "save-chunk=" + restored,
                               "run=" + std::to_string(kRunMs)}));
    ASSERT_TRUE(answered(*fresh));
    const size_t startUp = fresh->Synth().Received().size();
    ProjectChunk chunk;
    ASSERT_TRUE(savedChunk(*fresh, restored, &chunk));
    // The restore returned at once; its sounds follow, part by part, while the host runs on.
    for (int part = 0; part < kActiveParts; ++part)
        ASSERT_TRUE(fresh->Synth().WaitFor(
            [part](const auto& m) {
                return m.received && m.bytes.size() > 6 && m.bytes[4] == 0x10 && m.bytes[6] == part;
            },
            kWaitMs))
            << part << "\n"
            << heads(fresh->Synth().Received());
    quit(*fresh);
    expectSound(chunk, 1, soundOf(1));
    const std::vector<Bytes> sent = fresh->Synth().Received();
    const auto dumps = [&](uint8_t id) {
        return std::count_if(sent.begin() + long(startUp), sent.end(),
                             [&](const Bytes& m) { return m.size() > 4 && m[4] == id; });
    };
    // A dump sent around an xrun goes again: more only then.
    const bool xruns = fresh->Synth().Xruns() > 0;
    for (const auto& [id, n] : {std::pair<uint8_t, long>{0x14, 1}, {0x11, 1}, {0x10, kActiveParts}})
        EXPECT_TRUE(dumps(id) == n || (xruns && dumps(id) > n)) << int(id) << "\n" << heads(sent);

    qsim::SynthSimulator after;
    ASSERT_TRUE(fresh->Synth().SaveMemory(fresh->DataFolder() + "/after.syx", after));
    EXPECT_EQ(after.dumpAt(0x14, 0, 0), before.dumpAt(0x14, 0, 0));
    EXPECT_EQ(after.dumpAt(0x11, 0x20, 0), before.dumpAt(0x11, 0x20, 0));
    for (uint8_t part = 0; part < kActiveParts; ++part)
        EXPECT_EQ(after.dumpAt(0x10, 0x30, part), before.dumpAt(0x10, 0x30, part)) << int(part);
}

// Malformed MIDI from the synthesizer never becomes data, and holds back nothing after it:
// part 1's cutoff change cut short, then a note, which is echoed (local control is off) before
// anything ends in F7; then a cutoff change cut by a control change, which is echoed, and one
// cut by an F0 that starts a whole change. The whole change alone sets the cutoff. Part 2's
// sound is then fetched from a synthesizer that leaves that request to the test: dumps one
// byte short and one byte long, and a dump cut after 150 bytes glued to a whole one; the whole
// dump alone fills the part.
TEST_P(EndToEnd, MalformedMIDIFromTheSynthesizerNeverBecomesData) {
    if (!onProductConfiguration()) GTEST_SKIP() << "no MIDI filter switches: nothing is echoed";
    auto s = session("malformed", {0, 0, "00.30.01", ""});
    const std::string chunkFile = s->DataFolder() + "/malformed.chunk";
    ASSERT_TRUE(start(*s, {"save-chunk=" + chunkFile}));
    ASSERT_TRUE(answered(*s));
    // Once the page shows, the probe's progress, which drops short messages, is gone.
    ASSERT_TRUE(select(*s, kMultiTab));
    const Bytes note = {0x92, 0x3C, 0x64}, control = {0xB2, 0x07, 0x40};
    const auto echoed = [&](const Bytes& echo) {
        return s->Synth().WaitFor([&](const auto& m) { return m.received && m.bytes == echo; },
                                  kWaitMs);
    };
    ASSERT_TRUE(s->Synth().Send({0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x4E, 0x11}));
    ASSERT_TRUE(s->Synth().Send(note));
    ASSERT_TRUE(echoed(note)) << heads(s->Synth().Received());
    for (const Bytes& m :
         {Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x4E, 0x33, 0xB2, 0x07, 0x40, 0xF7},
          Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x20, 0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x4E, 0x22,
                0xF7}})
        ASSERT_TRUE(s->Synth().Send(m));
    ASSERT_TRUE(echoed(control)) << heads(s->Synth().Received());

    const Bytes sound = named(soundOf(1), SoundDump::kNameOffset, "Whole Sound     ");
    const Bytes other = named(soundOf(1), SoundDump::kNameOffset, "Not Whole       ");
    Bytes shortByOne(other.begin(), other.end() - 1), longByOne = other;
    shortByOne.back() = 0xF7;
    longByOne.insert(longByOne.end() - 1, 0x00);
    ASSERT_TRUE(select(*s, partButton(1)));
    ASSERT_TRUE(select(*s, kLibrarianTab));
    ASSERT_TRUE(choose(*s, {kRequestData, kFromActiveSlotToEditor}));
    const Bytes request = {0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x01, 0xF7};
    ASSERT_TRUE(s->Synth().WaitFor([&](const auto& m) { return m.received && m.bytes == request; },
                                   kWaitMs));
    for (const Bytes& m : {shortByOne, longByOne, Bytes(other.begin(), other.begin() + 150), sound})
        ASSERT_TRUE(s->Synth().Send(m));
    // The pattern is asked for once the sound was taken.
    ASSERT_TRUE(sent(*s, 0x13, PatternDump::kSize)) << heads(s->Synth().Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kPauseMs));
    ProjectChunk chunk;
    ASSERT_TRUE(savedChunk(*s, chunkFile, &chunk));
    quit(*s);
    EXPECT_EQ(chunk.Value(kFilter1Cutoff), 0x22);
    expectSound(chunk, 1, sound);
    EXPECT_EQ(chunk.Name(2), "Whole Sound     ");
}

// The synthesizer changes the multi at indices 0 to 127: part 1's bank among them has the
// plug-in ask for that part's sound while the later changes are still coming in. The answer is
// taken and the pattern follows, and no device id is scanned.
TEST_P(EndToEnd, ARequestAnsweredAmidTheSynthesizersChangesIsTaken) {
    if (!onProductConfiguration()) GTEST_SKIP() << "no request after a bank change";
    qsim::SynthSimulator memory;
    memory.fillCanonical();
    memory.setDump(0x10, 0x30, 0, named(soundOf(0), SoundDump::kNameOffset, "Answered Sound  "));
    memory.setDump(
        0x13, 0x20, 0,
        named(memory.dumpAt(0x13, 0x20, 0), PatternDump::kNameOffset, "Answered Pattern"));
    testsupport::TempFolder folder;
    const std::string image = folder.path() + "/memory.syx";
    testsupport::writeFile(image, memory.image());

    auto s = session("changes", {0, 0, "", image});
    const std::string chunkFile = s->DataFolder() + "/answered.chunk";
    ASSERT_TRUE(start(*s, {"save-chunk=" + chunkFile}));
    ASSERT_TRUE(answered(*s));
    for (int index = 0; index < 128; ++index)
        ASSERT_TRUE(
            s->Synth().Send({0xF0, 0x3E, 0x0F, 0x00, 0x21, 0x00, uint8_t(index), 0x63, 0xF7}));
    ASSERT_TRUE(sent(*s, 0x13, PatternDump::kSize)) << heads(s->Synth().Received());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kPauseMs));
    ProjectChunk chunk;
    ASSERT_TRUE(savedChunk(*s, chunkFile, &chunk));
    quit(*s);
    EXPECT_EQ(chunk.Name(1), "Answered Sound  ");
    EXPECT_EQ(chunk.Name(35), "Answered Pattern");
    for (const Bytes& m : s->Synth().Received())
        EXPECT_FALSE(m.size() > 4 && m[0] == 0xF0 && m[3] != 0) << "a scan: " << heads({m});
}

// A silent synthesizer: the probe's request, 20 pauses, the scan's 128 requests a pause apart,
// then nothing. Random bytes from it, bytes of 0x80 and above among them, leave the plug-in
// running, and a host quit in the middle of a probe ends cleanly.
TEST_P(EndToEnd, ASilentSynthesizerIsScannedAndGarbageAndAQuitMidRequestAreSurvived) {
    auto s = session("silent", {0, 0, "all", ""});
    ASSERT_TRUE(start(*s, {}));
    std::vector<Clock::time_point> at;
    const auto request = [](const auto& m) { return m.received && isProbe(m.bytes); };
    while (at.size() < 129 && s->Synth().WaitFor(request, 5000))
        at.push_back(Clock::now());
    // JACK drops the MIDI of a cycle that a client missed, and requests are not sent again: one
    // may miss per xrun the synthesizer was told of. The scan follows start-up's probe of id 0.
    const std::vector<Bytes> requests = probesReceived(*s);
    const int xruns = s->Synth().Xruns();
    ASSERT_GE(int(requests.size()), 128 - xruns);
    std::vector<int> ids;
    for (const Bytes& request : requests) {
        ids.push_back(request[3]);
        EXPECT_EQ(request, probe(ids.back()));
    }
    const size_t scan = ids.size() > 1 && ids[0] == 0 && ids[1] == 0 ? 1 : 0;
    for (size_t i = scan + 1; i < ids.size(); ++i)
        EXPECT_LT(ids[i - 1], ids[i]) << "request " << i;
    EXPECT_LE(128 - int(ids.size() - scan), xruns);
    EXPECT_GE(ids.back(), 127 - xruns);
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    const auto scanMs = ms(at.back() - at[scan]);
    EXPECT_GE(scanMs, (ids.back() - ids[scan]) * kPauseMs * 9 / 10);
    EXPECT_LE(scanMs, 127 * kPauseMs * 2);
    if (scan == 1) {
        EXPECT_GE(ms(at[1] - at[0]), 19 * kPauseMs);
    }

    std::mt19937 random(44);
    for (int i = 0; i < 30; ++i) {
        Bytes noise(1 + random() % 40);
        for (uint8_t& b : noise)
            b = uint8_t(random());
        if (i % 3 == 0) noise.front() = 0xF0;
        if (i % 3 == 0) noise.back() = 0xF7;
        ASSERT_TRUE(s->Synth().Send(noise));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10 * kPauseMs));
    EXPECT_FALSE(s->Synth().WaitFor(request, 0)) << "the probe ended";
    ASSERT_TRUE(select(*s, kLibrarianTab)) << "the editor answers";
    quit(*s);

    // Quit while a probe waits for its answer.
    auto again = session("quit", {0, 0, "all", ""});
    ASSERT_TRUE(start(*again, {}));
    ASSERT_TRUE(again->Synth().WaitFor(request, kWaitMs));
    quit(*again);
    const std::vector<std::string> lines = again->HostLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "host: quitting as asked"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "host: close 0"), lines.end());
}

INSTANTIATE_TEST_SUITE_P(Configurations, EndToEnd, testing::ValuesIn(kConfigurations),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

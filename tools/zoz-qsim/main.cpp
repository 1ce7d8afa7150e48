// zoz-qsim: a simulated Q (or Q+: the wire is the same) on MIDI ports of its own, for sessions
// with the editor that need a synthesizer at the far end of the cable. It prints "ready" once
// its ports are there, then one line per message: "rx <hex bytes>" for what its input port
// received, "tx <hex bytes>" for what it sent and, behind a cable, "lost <hex bytes>" for what
// overran the cable's buffer; and on JACK "xrun" for each xrun its server tells of (a cycle that
// a client ran late, whose MIDI the server may have dropped), a few milliseconds after.

#include "platform/midi/MidiInput.h"
#include "platform/midi/MidiOutput.h"
#include "tools/zoz-qsim/CableInput.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = qsim::SynthSimulator::Bytes;

const char kUsage[] =
    "usage: zoz-qsim [--name=CLIENT] [--id=N] [--delay=MS] [--silent=LIST] [--memory=FILE]\n"
    "                [--cable]\n"
    "       zoz-qsim --help   (prints this)\n"
    "  --name=CLIENT   its ports are CLIENT:in and CLIENT-out:out (the MIDI system gives each\n"
    "                  direction a client of its own) (zoz-qsim)\n"
    "  --id=N          the device id, 0 to 127 (0)\n"
    "  --delay=MS      answer each request MS milliseconds after it came (0)\n"
    "  --silent=LIST   leave these requests unanswered: \"all\", or comma-separated message ids\n"
    "                  in hex with the address bytes that narrow them, as 04 or 00.30.03\n"
    "  --memory=FILE   start from the dumps of a .syx file, else from the editor's init dumps\n"
    "  --cable         take messages in at a MIDI cable's rate (320 us a byte) through an\n"
    "                  interface's 4096-byte buffer; what overruns it is lost\n"
    "standard input, a line at a time:\n"
    "  F0 3E ... F7    send these bytes (hex)\n"
    "  save FILE       write the memory to FILE as a .syx that --memory reads back\n"
    "  quit            end (as the end of the input does)\n"
    "  (a line of more than 65536 characters is not read)\n"
    "standard output, a line at a time: \"ready ...\" once its ports are there, then\n"
    "  rx BYTES / tx BYTES   a message its input received / it sent (hex)\n"
    "  lost BYTES            with --cable: a message that overran the cable's buffer\n"
    "  xrun                  on JACK: the server told of an xrun (a client ran late in a cycle,\n"
    "                        whose MIDI the server may have dropped)\n";

constexpr size_t kMaxLineChars = 65536;

// Lines are printed on a thread of their own: the MIDI input thread that notes a message must
// never wait for a reader of standard output that is slow to come.
class Printer {
public:
    Printer() : thread([this] { run(); }) {}
    ~Printer() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ending = true;
        }
        changed.notify_one();
        thread.join();
    }
    void say(std::string line) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            lines.push_back(std::move(line));
        }
        changed.notify_one();
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return ending || !lines.empty(); });
            if (lines.empty()) return;
            const std::string line = std::move(lines.front());
            lines.pop_front();
            lock.unlock();
            fputs(line.c_str(), stdout);
            fputc('\n', stdout);
            fflush(stdout);
            lock.lock();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> lines;
    bool ending = false;
    std::thread thread;
};

Printer* g_printer = nullptr;

void say(const std::string& line) {
    g_printer->say(line);
}

std::string hex(const Bytes& bytes) {
    std::string s;
    char text[4];
    for (uint8_t b : bytes) {
        snprintf(text, sizeof(text), " %02X", b);
        s += text;
    }
    return s;
}

// Hex byte tokens separated by `separator`; false when one is not a byte.
bool parseHex(const std::string& text, char separator, Bytes* out) {
    std::istringstream in(text);
    out->clear();
    for (std::string token; std::getline(in, token, separator);) {
        if (token.empty() && separator == ' ') continue;
        char* end = nullptr;
        const unsigned long v = strtoul(token.c_str(), &end, 16);
        if (token.empty() || *end || v > 0xFF) return false;
        out->push_back(uint8_t(v));
    }
    return !out->empty();
}

// "all", or the prefixes (message id, byte 5, byte 6) of the requests left unanswered.
bool parseSilence(const std::string& list, std::function<bool(const Bytes&)>* silent) {
    if (list == "all") {
        *silent = [](const Bytes&) { return true; };
        return true;
    }
    std::vector<Bytes> prefixes;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        Bytes prefix;
        if (!parseHex(item, '.', &prefix) || prefix.size() > 3) return false;
        prefixes.push_back(prefix);
    }
    *silent = [prefixes](const Bytes& request) {
        for (const Bytes& p : prefixes)
            if (request.size() >= 4 + p.size() && std::equal(p.begin(), p.end(), &request[4]))
                return true;
        return false;
    };
    return !prefixes.empty();
}

struct Options {
    std::string name = "zoz-qsim";
    int id = 0;
    int delay = 0;
    std::string silent;
    std::string memory;
    bool cable = false;
};

bool parseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        const std::string key = arg.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
        char* end = nullptr;
        if (key == "--name" && !value.empty()) {
            o->name = value;
        } else if (key == "--id") {
            o->id = int(strtol(value.c_str(), &end, 10));
            if (value.empty() || *end || o->id < 0 || o->id > 127) return false;
        } else if (key == "--delay") {
            o->delay = int(strtol(value.c_str(), &end, 10));
            if (value.empty() || *end || o->delay < 0) return false;
        } else if (key == "--silent" && !value.empty()) {
            o->silent = value;
        } else if (key == "--memory" && !value.empty()) {
            o->memory = value;
        } else if (arg == "--cable") {
            o->cable = true;
        } else {
            return false;
        }
    }
    return true;
}

bool readFile(const std::string& path, Bytes* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool writeFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

// The synthesizer's two ports, its input behind a cable when asked; what they carry is printed.
class Ports {
public:
    Ports(const std::string& client, platform::MidiSystem system, qsim::SynthSimulator& synth,
          bool cable)
        : synth(synth),
          cable(cable ? std::make_unique<qsim::CableInput>(
                            [this](const Bytes& m) { takeIn(m); })
                      : nullptr),
          errors([](const std::string& text) { say("error: " + text); }),
          relay([this](const Bytes& m) { received(m); }),
          in(platform::NewMidiInput(system, client, relay, errors)),
          out(platform::NewMidiOutput(system, client + "-out", errors)) {}

    platform::MidiInput& input() { return *in; }
    // Whether both ports opened; what failed is printed.
    bool open() {
        return in && out && in->OpenVirtual("in") && out->OpenVirtual("out") &&
               !errors.TakeFailure();
    }
    void send(const Bytes& message) {
        std::lock_guard<std::mutex> lock(outMutex);
        say("tx" + hex(message));
        out->Send(message.data(), message.size());
    }

private:
    void received(const Bytes& message) {
        if (!cable)
            takeIn(message);
        else if (!cable->receive(message))
            say("lost" + hex(message));
    }
    void takeIn(const Bytes& message) {
        say("rx" + hex(message));
        synth.receive(message);
    }

    qsim::SynthSimulator& synth;
    std::unique_ptr<qsim::CableInput> cable;
    platform::MidiErrors errors;
    // Before the input, which hands it what arrives; it outlives the input.
    platform::MidiInputRelay relay;
    std::unique_ptr<platform::MidiInput> in;
    std::unique_ptr<platform::MidiOutput> out;
    std::mutex outMutex;
};

// Says "xrun" for each xrun the input's server told of. libjack tells it on a thread of its own
// that may not print, so it is looked for every few milliseconds.
class XrunLines {
public:
    explicit XrunLines(platform::MidiInput& in) : in(in), thread([this] { run(); }) {}
    ~XrunLines() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ending = true;
        }
        wake.notify_one();
        thread.join();
    }

private:
    void run() {
        uint64_t said = in.Xruns();
        std::unique_lock<std::mutex> lock(mutex);
        while (!wake.wait_for(lock, std::chrono::milliseconds(5), [this] { return ending; }))
            for (const uint64_t told = in.Xruns(); said < told; ++said)
                say("xrun");
    }

    platform::MidiInput& in;
    std::mutex mutex;
    std::condition_variable wake;
    bool ending = false;
    std::thread thread;
};

// The next line of the input without its line feed; false at the end of the input. A line
// longer than kMaxLineChars is read to its end and left empty, with *tooLong set.
bool readLine(std::istream& in, std::string* line, bool* tooLong) {
    line->clear();
    *tooLong = false;
    for (int c; (c = in.get()) != EOF;) {
        if (c == '\n') return true;
        if (line->size() == kMaxLineChars) *tooLong = true;
        if (!*tooLong) line->push_back(char(c));
    }
    if (*tooLong) line->clear();
    return !line->empty() || *tooLong;
}

// One line of standard input; false when it asks to end.
bool command(const std::string& line, Ports& ports, const qsim::SynthSimulator& synth) {
    std::istringstream words(line);
    std::string first, rest;
    words >> first;
    std::getline(words >> std::ws, rest);
    Bytes bytes;
    if (first.empty()) return true;
    if (first == "quit") return false;
    if (first == "save" && !rest.empty())
        say(writeFile(rest, synth.image()) ? "saved " + rest : "error: cannot write " + rest);
    else if (parseHex(line, ' ', &bytes))
        ports.send(bytes);
    else
        say("error: not a command: " + line);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        }
    }
    Options options;
    std::function<bool(const Bytes&)> silent;
    if (!parseOptions(argc, argv, &options) ||
        (!options.silent.empty() && !parseSilence(options.silent, &silent))) {
        fputs(kUsage, stderr);
        return 2;
    }
    Printer printer;
    g_printer = &printer;
    qsim::SynthSimulator synth(options.id);
    synth.fillCanonical();
    Bytes memory;
    if (!options.memory.empty() && !(readFile(options.memory, &memory) && synth.load(memory))) {
        fprintf(stderr, "zoz-qsim: no dumps in %s\n", options.memory.c_str());
        return 1;
    }
    if (silent) synth.setSilence(silent);
    synth.setAnswerDelayMillis(options.delay);
    // Without a MIDI system the library would print the system's own complaints. The look's
    // client is named apart from the ports': jackd2's libjack in every process with a client
    // links to each client's semaphore by its name, and may keep the link of a client closed
    // and opened again under that name, so that a host's would never wake the ports' client.
    const platform::MidiPorts midi = platform::LookForMidiPorts(options.name + "-look");
    if (midi.system == platform::MidiSystem::kNone) {
        fprintf(stderr, "zoz-qsim: no MIDI system for its ports: %s\n", midi.missing.c_str());
        return 1;
    }
    try {
        Ports ports(options.name, midi.system, synth, options.cable);
        if (!ports.open()) return 1;
        const XrunLines xruns(ports.input());
        synth.start([&ports](const Bytes& answer) { ports.send(answer); });
        say("ready: device id " + std::to_string(options.id) + ", ports " + options.name +
            ":in and " + options.name + "-out:out");
        std::string line;
        for (bool tooLong; readLine(std::cin, &line, &tooLong);) {
            if (tooLong)
                say("error: a line of more than " + std::to_string(kMaxLineChars) +
                    " characters is not read");
            else if (!command(line, ports, synth))
                break;
        }
        synth.stop();
    } catch (const RtMidiError& e) {
        say("error: " + e.getMessage());
        return 1;
    }
    return 0;
}

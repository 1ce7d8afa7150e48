// A second program on the MIDI system for the external port tests.
//   receive CLIENT PORT        opens an input port and prints "msg <hex bytes>" per message
//   receive-from CLIENT TEXT   the same on a port connected to the first output whose name
//                              contains TEXT
//   send CLIENT PORT           opens an output port and sends each line of hex bytes read
//                              from standard input, answering "sent"
// A line "reopen" has receive or send close its port and open it again at once, as a program
// that reopens its port does, answering "reopened" (receive-from answers nothing).
//   clients CLIENT SERVER      opens a JACK client named CLIENT on the JACK server named
//                              SERVER, keeps it a moment and closes it, again and again, as
//                              another program of the user on another server may
//   hold CLIENT SERVER         opens such a client once and keeps it
// Each prints "ready" once its port (or first client) is there and ends when its standard input
// ends. Nothing is filtered: the peer sees every byte.

#include "platform/midi/MidiBackend.h"

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex g_print;

void say(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_print);
    printf("%s\n", line.c_str());
    fflush(stdout);
}

// On the relay's thread: a reader that is slow to take the lines holds up no JACK cycle.
void printMessage(const std::vector<unsigned char>& bytes) {
    std::string line = "msg";
    char hex[4];
    for (unsigned char b : bytes) {
        snprintf(hex, sizeof(hex), " %02X", b);
        line += hex;
    }
    say(line);
}

int receive(const std::string& client, const std::string& port, bool connect) {
    platform::MidiInputRelay relay(printMessage);
    std::unique_ptr<RtMidiIn> in(platform::NewMidiIn(client, 1000));
    in->ignoreTypes(false, false, false);
    in->setCallback(platform::MidiInputRelay::Callback, &relay);
    if (!connect) {
        in->openVirtualPort(port);
    } else {
        unsigned int i = 0;
        while (i < in->getPortCount() && in->getPortName(i).find(port) == std::string::npos)
            ++i;
        if (i == in->getPortCount()) {
            say("no port " + port);
            return 1;
        }
        in->openPort(i, "in");
    }
    say("ready");
    for (std::string line; std::getline(std::cin, line);) {
        if (line != "reopen" || connect) continue;
        in->closePort();
        in->openVirtualPort(port);
        say("reopened");
    }
    return 0;
}

int send(const std::string& client, const std::string& port) {
    std::unique_ptr<RtMidiOut> out(platform::NewMidiOut(client));
    out->openVirtualPort(port);
    say("ready");
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "reopen") {
            out->closePort();
            out->openVirtualPort(port);
            say("reopened");
            continue;
        }
        std::istringstream hex(line);
        std::vector<unsigned char> bytes;
        for (std::string b; hex >> b;)
            bytes.push_back((unsigned char)strtoul(b.c_str(), nullptr, 16));
        out->sendMessage(&bytes);
        say("sent");
    }
    return 0;
}

int clients(const std::string& client, const std::string& server, bool again) {
    // What libjack says of a name it could not take is this program's own business.
    jack_set_error_function([](const char*) {});
    std::atomic<bool> ending{false};
    const auto open = [&] {
        return jack_client_open(client.c_str(), JackOptions(JackNoStartServer | JackServerName),
                                nullptr, server.c_str());
    };
    // Another program of the user (a test run beside this one) may hold the name a while.
    jack_client_t* first = open();
    for (int tries = 0; !first && tries < 50; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first = open();
    }
    if (!first) {
        say("no client " + client);
        return 1;
    }
    // Each client is kept a moment, as a program keeps its own: two clients of one name that
    // open at the same moment on two servers can leave libjack unable to open any client in
    // the process that opened the one.
    std::thread reopen;
    if (again) {
        jack_client_close(first);
        reopen = std::thread([&] {
            while (!ending)
                if (jack_client_t* c = open()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    jack_client_close(c);
                }
        });
    }
    say("ready");
    for (std::string line; std::getline(std::cin, line);) {
    }
    ending = true;
    if (again)
        reopen.join();
    else
        jack_client_close(first);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s receive|receive-from|send|clients|hold CLIENT PORT|SERVER\n",
                argv[0]);
        return 2;
    }
    try {
        const std::string mode = argv[1];
        if (mode == "receive") return receive(argv[2], argv[3], false);
        if (mode == "receive-from") return receive(argv[2], argv[3], true);
        if (mode == "send") return send(argv[2], argv[3]);
        if (mode == "clients") return clients(argv[2], argv[3], true);
        if (mode == "hold") return clients(argv[2], argv[3], false);
    } catch (const RtMidiError& e) {
        say("error " + e.getMessage());
        return 1;
    }
    return 2;
}

// zoz-host: our VST2 host. Loads a plug-in module, starts it, runs the commands given on the
// command line in order, stops and closes it, and prints what happened.

#include "tools/zoz-host/Editor.h"
#include "tools/zoz-host/RealTime.h"
#include "tools/zoz-host/VstHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char kUsage[] =
    "usage: zoz-host [--rate=HZ] [--block=FRAMES] [--double] MODULE [COMMAND...]\n"
    "       zoz-host --help   (prints this)\n"
    "commands, run in order:\n"
    "  midi=90,3C,64[@FRAME]     queue a MIDI event for the next block\n"
    "  sysex=F0,...,F7[@FRAME]   queue a SysEx event for the next block\n"
    "  tempo=BPM | tempo=none    the tempo the host reports, or none\n"
    "  play | stop               the transport\n"
    "  process=N                 run N blocks\n"
    "  run=MS                    run blocks in real time for MS ms (0: until the editor is\n"
    "                            closed), idling an open editor; a line on standard input or\n"
    "                            SIGINT/SIGTERM ends it early (the signals end the host too)\n"
    "  save-chunk=FILE           write the plug-in's bank chunk to FILE\n"
    "  load-chunk=FILE           give the plug-in the chunk in FILE\n"
    "  chunk-roundtrip           get the chunk, set it back, get it again and compare\n"
    "  editor-open | editor-close  show the editor in a window for the commands between\n"
    "  editor[=SECONDS]          show the editor and run in real time (until it is closed)\n"
    "  editor-png=FILE           render the editor without a display into a PNG file\n";

enum ExitCode { kOk = 0, kFailed = 1, kBadUsage = 2 };

bool parseBytes(const std::string& text, VstHost::Bytes* bytes, int* frame) {
    std::string list = text;
    *frame = 0;
    const size_t at = text.find('@');
    if (at != std::string::npos) {
        list = text.substr(0, at);
        char* end = nullptr;
        *frame = int(strtol(text.c_str() + at + 1, &end, 10));
        if (*end) return false;
    }
    bytes->clear();
    for (size_t pos = 0; pos <= list.size();) {
        const size_t comma = std::min(list.find(',', pos), list.size());
        const std::string item = list.substr(pos, comma - pos);
        char* end = nullptr;
        const unsigned long v = strtoul(item.c_str(), &end, 16);
        if (item.empty() || *end || v > 0xFF) return false;
        bytes->push_back(uint8_t(v));
        pos = comma + 1;
    }
    return !bytes->empty();
}

bool readFile(const std::string& path, VstHost::Bytes* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool writeFile(const std::string& path, const VstHost::Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

// Runs one command; false when it failed.
bool run(VstHost& host, EditorWindow& editor, const std::string& command) {
    const size_t eq = command.find('=');
    const std::string name = command.substr(0, eq);
    const std::string arg = eq == std::string::npos ? "" : command.substr(eq + 1);
    VstHost::Bytes bytes;
    int frame = 0;
    if (name == "midi" || name == "sysex") {
        if (!parseBytes(arg, &bytes, &frame)) {
            fprintf(stderr, "zoz-host: bad bytes in %s\n", command.c_str());
            return false;
        }
        if (name == "midi")
            host.QueueMidi(bytes, frame);
        else
            host.QueueSysEx(bytes, frame);
    } else if (name == "tempo") {
        host.SetTempo(arg == "none" ? -1.0 : atof(arg.c_str()));
    } else if (command == "play" || command == "stop") {
        host.SetPlaying(command == "play");
    } else if (name == "process") {
        host.Process(std::max(atoi(arg.c_str()), 0));
    } else if (name == "run") {
        RunRealTime(host, editor, std::max(atoi(arg.c_str()), 0));
    } else if (name == "save-chunk") {
        if (!host.GetChunk(true, &bytes)) {
            printf("host: the plug-in gave no chunk\n");
            return false;
        }
        // The line tells a watcher the file is complete: it comes after the write.
        if (!writeFile(arg, bytes)) return false;
        printf("host: saved chunk of %zu bytes\n", bytes.size());
        return true;
    } else if (name == "load-chunk") {
        if (!readFile(arg, &bytes)) {
            fprintf(stderr, "zoz-host: cannot read %s\n", arg.c_str());
            return false;
        }
        const bool ok = host.SetChunk(true, bytes);
        printf("host: loaded chunk of %zu bytes: %s\n", bytes.size(), ok ? "accepted" : "refused");
        return ok;
    } else if (command == "chunk-roundtrip") {
        VstHost::Bytes again;
        const bool ok = host.GetChunk(true, &bytes) && host.SetChunk(true, bytes) &&
                        host.GetChunk(true, &again) && again == bytes;
        printf("host: chunk round trip of %zu bytes: %s\n", bytes.size(),
               ok ? "identical" : "FAILED");
        return ok;
    } else if (command == "editor-open") {
        return editor.Open();
    } else if (command == "editor-close") {
        editor.Close();
    } else if (name == "editor") {
        if (!editor.Open()) return false;
        RunRealTime(host, editor, int(std::max(atof(arg.c_str()), 0.0) * 1000));
        editor.Close();
    } else if (name == "editor-png") {
        return RenderEditor(host, arg);
    } else {
        fprintf(stderr, "zoz-host: unknown command %s\n%s", command.c_str(), kUsage);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    double rate = 48000.0;
    int block = 256;
    bool useDouble = false;
    int i = 1;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
        if (strncmp(argv[i], "--rate=", 7) == 0)
            rate = atof(argv[i] + 7);
        else if (strncmp(argv[i], "--block=", 8) == 0)
            block = atoi(argv[i] + 8);
        else if (strcmp(argv[i], "--double") == 0)
            useDouble = true;
        else if (strcmp(argv[i], "--help") == 0)
            return fputs(kUsage, stdout) < 0 ? kFailed : kOk;
        else
            break;
    }
    if (i >= argc || rate <= 0.0 || block <= 0) {
        fputs(kUsage, stderr);
        return kBadUsage;
    }

    HoldQuitSignals();
    VstHost host;
    std::string error;
    if (!host.Load(argv[i], &error)) {
        fprintf(stderr, "zoz-host: %s\n", error.c_str());
        return kFailed;
    }
    host.PrintEffect();
    host.Start(rate, block, useDouble);
    bool ok = true;
    {
        EditorWindow editor(host);
        for (++i; i < argc && ok && !QuitRequested(); ++i)
            ok = run(host, editor, argv[i]);
    }
    if (QuitRequested()) printf("host: quitting as asked\n");
    host.Stop();
    return ok ? kOk : kFailed;
}

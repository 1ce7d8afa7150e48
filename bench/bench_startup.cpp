// The start-up time and heap of the editor plug-in, each beside ZynAddSubFX's VST2 module (from
// Debian, installed for this benchmark only) started the same way in the same run. Every
// figure comes from processes of their own, as a host that scans or opens a plug-in loads it:
// a process loads the module, makes an instance as a host does (entry, open, sample rate,
// block size, resume) and then more, and reports the time to the first instance, the heap in
// use (mallinfo2) after the first and the third, and its peak resident size. Ten processes a
// module, taken in turn; the medians are printed with the ratios and their aims. The editor
// reads the build's layout and images and starts on a fresh data folder, as on first use; a
// last row times it on a folder of 200 bank files of 100 sounds.

#include "platform/vst2/Vst2.h"
#include "tests/support/BankFileGenerator.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kPeer = "/usr/lib/vst/ZynAddSubFX.so";
constexpr int kProcesses = 10;
constexpr int kInstances = 3;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return 48000;
    case audioMasterGetBlockSize:
        return 256;
    default:
        return 0;
    }
}

double heapMB() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

double peakResidentMB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

// One process: "start_ms heap1_mb heap3_mb hwm_mb" written to fd, or nothing.
int child(const char* module, int fd) {
    const double before = heapMB();
    const Clock::time_point t0 = Clock::now();
    void* handle = dlopen(module, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) return 1;
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<Entry>(dlsym(handle, "main"));
    if (!entry) return 1;
    double startMs = 0.0, heap1 = 0.0;
    std::vector<AEffect*> made;
    for (int i = 0; i < kInstances; ++i) {
        AEffect* e = entry(hostCallback);
        if (!e) return 1;
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
        made.push_back(e);
        if (i == 0) {
            startMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            heap1 = heapMB() - before;
        }
    }
    const double heap3 = heapMB() - before;
    dprintf(fd, "%.3f %.3f %.3f %.3f\n", startMs, heap1, heap3, peakResidentMB());
    // Closing is not measured; the modules' threads end with the process.
    _exit(0);
}

struct Figures {
    std::vector<double> startMs, heap1, further, hwm;
};

bool runChild(const char* self, const char* module, Figures& f) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
        // The modules' own chatter is not ours to show.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execl(self, self, "--child", module, fd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    double ms, h1, h3, hwm;
    if (sscanf(out.c_str(), "%lf %lf %lf %lf", &ms, &h1, &h3, &hwm) != 4) return false;
    f.startMs.push_back(ms);
    f.heap1.push_back(h1);
    f.further.push_back((h3 - h1) / (kInstances - 1));
    f.hwm.push_back(hwm);
    return true;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

std::string makeDataFolder(int banks) {
    std::string folder = "/tmp/zoz-bench-startup-XXXXXX";
    if (!mkdtemp(&folder[0])) abort();
    for (int b = 0; b < banks; ++b) {
        const std::string sub = folder + "/Patches/Folder " + std::to_string(b % 10);
        std::filesystem::create_directories(sub);
        testsupport::writeFile(sub + "/Bank " + std::to_string(b) + ".syx",
                               testsupport::rawBankFile(
                                   testsupport::soundDumps(100, "B" + std::to_string(b), "Bass")));
    }
    return folder;
}

void print(const char* what, double ours, double peer, const char* unit, const char* aim) {
    printf("%-40s %9.1f %s %9.1f %s %7.2f   %s\n", what, ours, unit, peer, unit,
           peer > 0.0 ? ours / peer : 0.0, aim);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--child") == 0) return child(argv[2], atoi(argv[3]));
    const std::string fresh = makeDataFolder(0), banks = makeDataFolder(200);
    setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILT_RESOURCES, 1);
    const bool peerThere = access(kPeer, R_OK) == 0;
    Figures ours, peer, withBanks;
    for (int i = 0; i < kProcesses; ++i) {
        setenv("ZOZ_DATA_DIR", fresh.c_str(), 1);
        if (!runChild(argv[0], ZOZ_EDITOR_MODULE, ours)) fprintf(stderr, "the editor failed\n");
        if (peerThere && !runChild(argv[0], kPeer, peer)) fprintf(stderr, "the peer failed\n");
        setenv("ZOZ_DATA_DIR", banks.c_str(), 1);
        if (!runChild(argv[0], ZOZ_EDITOR_MODULE, withBanks))
            fprintf(stderr, "the editor failed on the banks\n");
    }
    std::filesystem::remove_all(fresh);
    std::filesystem::remove_all(banks);
    if (ours.startMs.empty()) return 1;
    printf("medians of %d processes each; peer: %s%s\n", kProcesses, kPeer,
           peerThere ? "" : " (not installed)");
    printf("%-40s %12s %12s %7s   %s\n", "figure", "editor", "peer", "ratio", "aim");
    print("instance start-up", median(ours.startMs), median(peer.startMs), "ms", "<= 0.8");
    print("heap of one instance", median(ours.heap1), median(peer.heap1), "MB", "<= 40 MB");
    print("heap of each further instance", median(ours.further), median(peer.further), "MB",
          "<= 12 MB");
    print("peak resident, three instances", median(ours.hwm), median(peer.hwm), "MB", "");
    print("instance start-up, 200 bank files", median(withBanks.startMs), median(peer.startMs),
          "ms", "");
    return 0;
}

// A host that loads the module, makes an instance, opens its editor (headless), closes it all
// and unloads the module, again and again, as a host does that unloads a plug-in once its last
// instance went. After each unload it prints "unloaded" or "kept" (whether the module is still
// mapped), the bytes the process has allocated and not freed, and how many mappings of JACK's
// shared memory it holds.
//   zoz_module_loads MODULE COUNT
// With --unload-printing, a host whose print function for libjack takes half a second unloads
// the module while one of libjack's lines is on its way through it; with --second COPY it loads
// a second copy of the module from another path, unloads the first and has libjack print. Each
// prints "printed" once the line reached the host's function.
//   zoz_module_loads --unload-printing MODULE
//   zoz_module_loads --second COPY MODULE

#include "platform/vst2/Vst2.h"

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <malloc.h>
#include <thread>
#ifdef __SANITIZE_ADDRESS__
// The sanitizer's allocator, which every malloc of the process reaches.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The allocator's own count, wherever it put the blocks.
size_t allocated() {
#ifdef __SANITIZE_ADDRESS__
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// The process's mappings of files that JACK shares between its server and clients.
int jackMappings() {
    FILE* maps = fopen("/proc/self/maps", "r");
    int count = 0;
    char line[4096];
    while (maps && fgets(line, sizeof line, maps))
        if (strstr(line, "/dev/shm/jack")) ++count;
    if (maps) fclose(maps);
    return count;
}

struct Loaded {
    void* module = nullptr;
    AEffect* effect = nullptr;
};

Loaded load(const char* path) {
    Loaded loaded;
    loaded.module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    auto entry = loaded.module ? reinterpret_cast<AEffect* (*)(audioMasterCallback)>(
                                     dlsym(loaded.module, "VSTPluginMain"))
                               : nullptr;
    loaded.effect = entry ? entry(host) : nullptr;
    if (loaded.effect) loaded.effect->dispatcher(loaded.effect, effOpen, 0, 0, nullptr, 0.0f);
    return loaded;
}

void unload(Loaded& loaded) {
    loaded.effect->dispatcher(loaded.effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(loaded.module);
}

std::atomic<bool> g_printing{false}, g_printed{false};

void slowPrint(const char*) {
    g_printing = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    g_printed = true;
}

// A line that libjack gives the process's print function, as its threads do.
void libjackPrints() {
    jack_error_callback("Cannot read socket fd = 9 err = Success");
}

int printing(int argc, char** argv) {
    jack_set_error_function(&slowPrint);
    const bool second = strcmp(argv[1], "--second") == 0;
    if (argc != (second ? 4 : 3)) return 2;
    Loaded first = load(argv[argc - 1]);
    if (!first.effect) return 1;
    if (second) {
        Loaded copy = load(argv[2]);
        if (!copy.effect) return 1;
        unload(first);
        libjackPrints();
        unload(copy);
    } else {
        std::thread line(libjackPrints);
        while (!g_printing)
            std::this_thread::yield();
        unload(first);
        line.join();
    }
    if (g_printed) printf("printed\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strncmp(argv[1], "--", 2) == 0) return printing(argc, argv);
    if (argc != 3) {
        fprintf(stderr, "usage: %s MODULE COUNT\n", argv[0]);
        return 2;
    }
    for (int cycle = atoi(argv[2]); cycle > 0; --cycle) {
        void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
        auto entry = module ? reinterpret_cast<AEffect* (*)(audioMasterCallback)>(
                                  dlsym(module, "VSTPluginMain"))
                            : nullptr;
        AEffect* e = entry ? entry(host) : nullptr;
        if (!e) {
            printf("no plug-in: %s\n", module ? "no entry" : dlerror());
            return 1;
        }
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        dlclose(module);
        void* kept = dlopen(argv[1], RTLD_NOW | RTLD_NOLOAD);
        if (kept) dlclose(kept);
        printf("%s %zu %d\n", kept ? "kept" : "unloaded", allocated(), jackMappings());
    }
    return 0;
}

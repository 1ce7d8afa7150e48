// A host's plug-in scanner as Qtractor runs one: it loads the module, opens the plug-in, reads
// its names, closes it and prints the one line its host parses. Whatever else stands on its
// standard output or error came from the module. With --no-close it prints the line and exits
// with the plug-in still open, as Qtractor's scanner does.

#include "platform/vst2/Vst2.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

static VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

int main(int argc, char** argv) {
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    auto entry = module ? reinterpret_cast<AEffect* (*)(audioMasterCallback)>(
                              dlsym(module, "VSTPluginMain"))
                        : nullptr;
    AEffect* e = entry ? entry(host) : nullptr;
    if (!e) return 1;
    char name[65] = {}, vendor[65] = {};
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effGetEffectName, 0, 0, name, 0.0f);
    e->dispatcher(e, effGetVendorString, 0, 0, vendor, 0.0f);
    if (argc > 2 && strcmp(argv[2], "--no-close") == 0) {
        printf("VST|%s|%s\n", name, vendor);
        exit(0);
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    dlclose(module);
    printf("VST|%s|%s\n", name, vendor);
}

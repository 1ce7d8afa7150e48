// A host's plug-in scanner as Qtractor runs one: it loads the module, opens the plug-in, reads
// its names, closes it and prints one line, "VST|<name>|<vendor>", which its host parses. So
// whatever else stands on its standard output or standard error came from the module.

#include "platform/vst2/Vst2.h"

#include <cstdio>
#include <dlfcn.h>

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) return 1;
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "VSTPluginMain"));
    AEffect* effect = entry ? entry(host) : nullptr;
    if (!effect) return 1;
    char name[65] = {}, vendor[65] = {};
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effGetEffectName, 0, 0, name, 0.0f);
    effect->dispatcher(effect, effGetVendorString, 0, 0, vendor, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(module);
    printf("VST|%s|%s\n", name, vendor);
    return 0;
}

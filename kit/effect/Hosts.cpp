#include "kit/effect/Hosts.h"

#include "kit/effect/Diagnostics.h"

#include <cstring>

namespace {

struct HostEntry {
    const char* key; // lower-case substring of the product string; null: never looked up
    EHost host;
    const char* name;
};

// In the order the keys are tested: an earlier key wins over a later one.
const HostEntry kHosts[] = {
    {"cubase", kHostCubase, "Cubase"},
    {"reaper", kHostReaper, "Reaper"},
    {"nuendo", kHostNuendo, "Nuendo"},
    {"cakewalk", kHostSonar, "Sonar"},
    {"samplitude", kHostSamplitude, "Samplitude"},
    {"fruity", kHostFL, "FLStudio"},
    {"live", kHostAbletonLive, "Live"},
    {"melodyne", kHostMelodyneStudio, "Unknown"},
    {"vstmanlib", kHostVSTScanner, "VSTScanner"},
    {"aulab", kHostAULab, "AULab"},
    {"garageband", kHostGarageBand, "GarageBand"},
    {"forte", kHostForte, "Forte"},
    {"chainer", kHostChainer, "Chainer"},
    {"audition", kHostAudition, "Audition"},
    {"orion", kHostOrion, "Orion"},
    {"sawstudio", kHostSAWStudio, "SAWStudio"},
    {"logic", kHostLogic, "Logic"},
    {"digital", kHostDigitalPerformer, "DigitalPerformer"},
    {"audiomulch", kHostAudioMulch, "AudioMulch"},
    {"presonus", kHostStudioOne, "StudioOne"},
    {"vst3plugintesthost", kHostVST3TestHost, "VST3PluginTestHost"},
    {"protools", kHostProTools, "ProTools"},
    {"ardour", kHostArdour, "Ardour"},
    {"standalone", kHostStandalone, "Standalone"},
    {nullptr, kHostVegas, "Vegas"},
};

} // namespace

EHost LookUpHost(const char* productString) {
    char lower[256];
    char cut[256];
    strncpy(cut, productString ? productString : "", sizeof(cut) - 1);
    cut[sizeof(cut) - 1] = 0;
    ToLower(lower, cut);
    for (const HostEntry& e : kHosts)
        if (e.key && strstr(lower, e.key)) return e.host;
    return kHostUnknown;
}

void GetHostNameStr(EHost host, char* out) {
    const char* name = "Unknown";
    for (const HostEntry& e : kHosts)
        if (e.host == host) name = e.name;
    strcpy(out, name);
}

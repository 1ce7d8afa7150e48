// The plug-in module's entry: every call makes one new, independent editor plug-in.

#include "src/core/Zoz.h"
#include "src/core/ZozDialogs.h"

namespace {

const bool g_dialogsRegistered = (ZozRegisterDialogResources(), true);

IEffectVST* makeZoz(IEffectInstanceInfo info) {
    return new Zoz(info);
}

} // namespace

VST_PLUGIN_ENTRY(makeZoz)

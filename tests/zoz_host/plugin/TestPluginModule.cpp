// The module that the host tests load until the editor's own plug-in class exists: the
// framework on the VST2 adapter, with a test plug-in that has the editor's identity, hidden
// parameters only and a small editor.

#include "kit/effect/IEffectVST.h"
#include "tests/zoz_host/plugin/EditorPlugin.h"

#include <cstdio>
#include <string>

namespace {

// Sends the host's MIDI back to the host and prints the transport whenever its tempo, time
// signature, running or loop state changes, so that a host can see what reached the plug-in.
class ModuleEffect : public testsupport::EditorPlugin {
public:
    explicit ModuleEffect(audioMasterCallback host) : EditorPlugin(host) {}

    void ProcessMidiMsg(IMidiMsg* msg, bool) override { SendMidiVST(msg); }

    void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
        const ITimeInfo before = m_time;
        GetTime(&m_time);
        if (!m_printed || before.tempo != m_time.tempo || before.numerator != m_time.numerator ||
            before.denominator != m_time.denominator ||
            before.transportIsRunning != m_time.transportIsRunning ||
            before.transportLoopEnabled != m_time.transportLoopEnabled) {
            printf("plug-in: tempo %g signature %d/%d running %d loop %d\n", m_time.tempo,
                   m_time.numerator, m_time.denominator, int(m_time.transportIsRunning),
                   int(m_time.transportLoopEnabled));
            m_printed = true;
        }
        EditorPlugin::ProcessDoubleReplacing(in, out, nFrames);
    }

private:
    ITimeInfo m_time;
    bool m_printed = false;
};

IEffectVST* makeEffect(IEffectInstanceInfo info) {
    return new ModuleEffect(info.hostCallback);
}

} // namespace

VST_PLUGIN_ENTRY(makeEffect)

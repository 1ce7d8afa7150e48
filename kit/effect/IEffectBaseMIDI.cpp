// The plug-in base's external MIDI ports: the clients of the MIDI library, the port lists by
// name, opening and closing, the input callback and the guarded output.

#include "kit/effect/IEffectBase.h"

#include "platform/midi/MidiBackend.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

const char* const kNoDevice = "Select MIDI Device";

// The index of name in the cached list, -1 when absent. The whole list is searched: a port that
// has gone since the list was built does not hide the names after it (they open by name).
int findPort(const std::vector<std::string>& names, const char* name) {
    if (!name) return -1;
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : int(it - names.begin());
}

// The library's current number of the port named: the cached list may be older than the
// system's ports, and its index would then open some other device. -1 when it is gone.
int livePort(RtMidi* client, const std::string& name) {
    const unsigned int count = client->getPortCount();
    for (unsigned int i = 0; i < count; ++i)
        if (client->getPortName(i) == name) return int(i);
    return -1;
}

int portNumber(const std::vector<std::string>& names, const char* name,
               const char* virtualName) {
    if (!name) return -1;
    if (strcmp(name, kNoDevice) == 0) return 0;
    if (strcmp(name, virtualName) == 0) return 1;
    const int idx = findPort(names, name);
    return idx > 0 ? idx : -1;
}

std::vector<std::string> listOf(const std::vector<std::string>& ports) {
    std::vector<std::string> names = {kNoDevice};
    names.insert(names.end(), ports.begin(), ports.end());
    return names;
}

// The plug-ins alive in the process, by instance number.
std::mutex g_instancesLock;
std::set<int> g_instances;

} // namespace

int IEffectBase::takeInstanceNumber() {
    std::lock_guard<std::mutex> lock(g_instancesLock);
    int number = 1;
    while (g_instances.count(number))
        ++number;
    g_instances.insert(number);
    return number;
}

void IEffectBase::releaseInstanceNumber(int number) {
    std::lock_guard<std::mutex> lock(g_instancesLock);
    g_instances.erase(number);
}

std::string IEffectBase::midiClientName(const char* direction) const {
    return midiClientName(m_effectName, m_instanceNumber, direction);
}

std::string IEffectBase::midiClientName(const char* effectName, int instance,
                                        const char* direction) {
    std::string name = effectName;
    if (instance > 1) name += " " + std::to_string(instance);
    return direction ? name + " " + direction : name;
}

void IEffectBase::BeginExternalMIDILook(const char* effectName) {
    if (!m_midiLook && !m_midiLooked)
        m_midiLook = std::make_unique<platform::MidiPortLook>(
            midiClientName(effectName ? effectName : "", m_instanceNumber, nullptr));
}

void IEffectBase::EndExternalMIDILook() {
    if (!m_midiLook) return;
    m_midiLook->Close();
    // Lists nobody asked for while the plug-in was built are made when first asked for, as
    // without a look ahead.
    if (!m_midiLooked) m_midiLook.reset();
}

// Both lists at once: one look at the MIDI system, which says which system it is.
void IEffectBase::lookForExternalMIDI() {
    if (m_midiLooked) return;
    // A look not begun ahead lets its client go as soon as the ports are read.
    if (!m_midiLook) {
        BeginExternalMIDILook(m_effectName);
        m_midiLook->Close();
    }
    m_midiLooked = true;
    const auto report = [this](const std::string& text) { LogExternalMIDI(text); };
    m_midiInErrors = std::make_unique<platform::MidiErrors>(report);
    m_midiOutErrors = std::make_unique<platform::MidiErrors>(report);
    const platform::MidiPorts& ports = m_midiLook->Ports();
    m_midiSystem = ports.system;
    LogExternalMIDI(ports.about);
    m_midiInNames = listOf(ports.sources);
    m_midiOutNames = listOf(ports.destinations);
}

// Made when a port of the direction is first opened, so that a plug-in with no port chosen
// has no client on the MIDI system. The library's errors are caught where they arise.
RtMidiOut* IEffectBase::outputClient() {
    if (!m_midiOut) {
        m_midiOutErrors->TakeFailure();
        m_midiOut = platform::NewMidiOut(m_midiSystem, midiClientName("Out"),
                                         m_midiOutErrors.get());
    }
    return m_midiOut;
}

RtMidiIn* IEffectBase::inputClient() {
    if (!m_midiIn) {
        m_midiInErrors->TakeFailure();
        // Before the client, whose thread then sees it whole.
        auto relay = std::make_unique<platform::MidiInputRelay>(
            [this](const std::vector<unsigned char>& bytes) { receiveMIDI(bytes); });
        RtMidiIn* client = platform::NewMidiIn(m_midiSystem, midiClientName("In"), 100,
                                               m_midiInErrors.get());
        if (!client) return nullptr;
        m_midiInRelay = std::move(relay);
        client->setCallback(platform::MidiInputRelay::Callback, m_midiInRelay.get());
        // SysEx passes; the library drops timing clock and active sensing.
        client->ignoreTypes(false, true, true);
        m_midiIn = client;
    }
    return m_midiIn;
}

std::vector<std::string>& IEffectBase::getExternalMIDIOutNames() {
    if (m_midiOutNames.empty()) {
        m_midiOutSelection = 0;
        lookForExternalMIDI();
    }
    return m_midiOutNames;
}

std::vector<std::string>& IEffectBase::getExternalMIDIInNames() {
    if (m_midiInNames.empty()) {
        m_midiInSelection = 0;
        lookForExternalMIDI();
    }
    return m_midiInNames;
}

void IEffectBase::setExternalMIDIOut(int& selection, const char* name) {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    try {
        if (m_midiOut) m_midiOut->closePort();
        m_midiOutOpen = false;
        m_midiOutSelection = selection;
        if (selection == 0 || m_midiOutNames.empty()) return;
        const int idx = findPort(m_midiOutNames, name);
        selection = idx < 0 ? 0 : idx;
        if (idx <= 0) return;
        RtMidiOut* client = outputClient();
        const int port = client ? livePort(client, name) : -1;
        if (port >= 0) platform::OpenMidiPort(*client, unsigned(port), "RtMidi Output");
        m_midiOutOpen = port >= 0 && !m_midiOutErrors->TakeFailure();
    } catch (const RtMidiError& e) {
        LogExternalMIDI(e.getMessage());
    }
    if (!m_midiOutOpen) selection = 0;
}

void IEffectBase::setExternalMIDIIn(int& selection, const char* name) {
    // The library's close does not wait for a callback already running.
    shutMIDIInput();
    try {
        if (m_midiIn) m_midiIn->closePort();
        m_midiInSelection = selection;
        if (selection == 0) return;
        const int idx = findPort(m_midiInNames, name);
        selection = idx < 0 ? 0 : idx;
        if (idx <= 0) return;
        RtMidiIn* client = inputClient();
        const int port = client ? livePort(client, name) : -1;
        if (port >= 0) platform::OpenMidiPort(*client, unsigned(port), "RtMidi Input");
        m_midiInOpen = port >= 0 && !m_midiInErrors->TakeFailure();
    } catch (const RtMidiError& e) {
        LogExternalMIDI(e.getMessage());
    }
    if (!m_midiInOpen) selection = 0;
}

int IEffectBase::getExternalMIDIInDevice(const char* name) {
    return findPort(m_midiInNames, name);
}

int IEffectBase::getExternalMIDIOutDevice(const char* name) {
    return findPort(m_midiOutNames, name);
}

int IEffectBase::GetMIDIInPortNumber(const char* name) {
    return portNumber(m_midiInNames, name, "virtual input");
}

int IEffectBase::GetMIDIOutPortNumber(const char* name) {
    return portNumber(m_midiOutNames, name, "virtual output");
}

bool IEffectBase::initializeVirtualOutput(std::string name) {
    lookForExternalMIDI();
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    delete m_midiOut;
    m_midiOut = nullptr;
    m_midiOutOpen = false;
    try {
        RtMidiOut* client = outputClient();
        if (!client) return false;
        client->openVirtualPort("From " + name);
        m_midiOutOpen = !m_midiOutErrors->TakeFailure();
    } catch (const RtMidiError& e) {
        LogExternalMIDI(e.getMessage());
    }
    return m_midiOutOpen;
}

void IEffectBase::receiveMIDI(const std::vector<unsigned char>& bytes) {
    try {
        std::lock_guard<std::recursive_mutex> gate(m_midiInGate);
        // What was received before the port closed may still arrive: it must not reach a
        // plug-in whose parts are being taken down.
        if (m_midiInOpen) processMIDIInput(bytes.data(), bytes.size());
    } catch (...) {
        // The input's thread must survive whatever the plug-in raises.
    }
}

void IEffectBase::shutMIDIInput() {
    m_midiInOpen = false;
    // Free at once when no callback runs, or when this is the callback's own thread.
    if (m_midiInGate.try_lock()) {
        m_midiFramer.Reset();
        m_midiInGate.unlock();
        return;
    }
    // The callback in flight may be waiting for the plug lock this thread holds.
    KIT_MutexRelease released(&m_mutex);
    std::lock_guard<std::recursive_mutex> wait(m_midiInGate);
    // A SysEx the old port left open must not take in the next port's bytes.
    m_midiFramer.Reset();
}

bool IEffectBase::SendMidiMsgs(KIT_TypedBuf<IMidiMsg>* msgs) {
    bool all = true;
    for (int i = 0; msgs && i < msgs->GetSize(); ++i)
        all = SendMidiMsg(msgs->Get() + i) && all;
    return all;
}

bool IEffectBase::SendExternalMIDI(const unsigned char* bytes, int size) {
    if (!bytes || size < 1 || size > kMaxExternalMIDIBytes) return false;
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    // Never into a closed port: the JACK back end would wait for ever for room to send.
    if (!m_midiOut || !m_midiOutOpen) return false;
    m_midiOut->sendMessage(bytes, size_t(size));
    return !m_midiOutErrors->TakeFailure();
}

void IEffectBase::closeExternalMIDI() {
    shutMIDIInput();
    {
        std::lock_guard<std::mutex> lock(m_midiOutMutex);
        m_midiOutOpen = false;
        delete m_midiOut; // the library closes the port on the way
        m_midiOut = nullptr;
    }
    delete m_midiIn;
    m_midiIn = nullptr;
    m_midiInRelay.reset(); // no client feeds it any more
}

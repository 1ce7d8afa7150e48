// The plug-in base's external MIDI ports: the clients of the MIDI library, the port lists by
// name, opening and closing, the input callback and the guarded output.

#include "kit/effect/IEffectBase.h"

#include "platform/midi/MidiBackend.h"

#include <algorithm>
#include <cstring>

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

void appendPortNames(std::vector<std::string>& names, RtMidi* client) {
    names.push_back(kNoDevice);
    if (!client) return;
    const unsigned int count = client->getPortCount();
    for (unsigned int i = 0; i < count; ++i) {
        try {
            names.push_back(client->getPortName(i));
        } catch (const RtMidiError& e) {
            e.printMessage();
            names.push_back("MIDI Port " + std::to_string(i + 1));
        }
    }
}

int portNumber(RtMidi* client, const char* name, const char* virtualName) {
    if (!name) return -1;
    if (strcmp(name, kNoDevice) == 0) return 0;
    if (strcmp(name, virtualName) == 0) return 1;
    const int port = client ? livePort(client, name) : -1;
    return port < 0 ? -1 : port + 1;
}

} // namespace

std::vector<std::string>& IEffectBase::getExternalMIDIOutNames() {
    if (!m_midiOutNames.empty()) return m_midiOutNames;
    m_midiOutSelection = 0;
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    try {
        if (!m_midiOut) m_midiOut = platform::NewMidiOut("RtMidi Output Client");
    } catch (const RtMidiError& e) {
        e.printMessage();
    }
    appendPortNames(m_midiOutNames, m_midiOut);
    return m_midiOutNames;
}

std::vector<std::string>& IEffectBase::getExternalMIDIInNames() {
    if (!m_midiInNames.empty()) return m_midiInNames;
    m_midiInSelection = 0;
    if (!m_midiIn) {
        RtMidiIn* client = nullptr;
        try {
            client = platform::NewMidiIn("RtMidi Input Client", 100);
            client->setCallback(MIDICallback, this);
            // SysEx passes; the library drops timing clock and active sensing.
            client->ignoreTypes(false, true, true);
            m_midiIn = client;
        } catch (const RtMidiError& e) {
            e.printMessage();
            delete client;
        }
    }
    appendPortNames(m_midiInNames, m_midiIn);
    return m_midiInNames;
}

void IEffectBase::setExternalMIDIOut(int& selection, const char* name) {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    try {
        if (m_midiOutSelection > 0 && m_midiOut) m_midiOut->closePort();
        m_midiOutOpen = false;
        m_midiOutSelection = selection;
        if (selection == 0 || m_midiOutNames.empty()) {
            if (m_midiOut) m_midiOut->closePort();
            return;
        }
        const int idx = findPort(m_midiOutNames, name);
        selection = idx < 0 ? 0 : idx;
        if (idx <= 0) return;
        // The client is gone when a virtual output could not be made in its place.
        const int port = m_midiOut ? livePort(m_midiOut, name) : -1;
        if (port < 0) {
            selection = 0;
            return;
        }
        m_midiOut->openPort(unsigned(port), "RtMidi Output");
        m_midiOutOpen = true;
    } catch (const RtMidiError& e) {
        e.printMessage();
        selection = 0;
    }
}

void IEffectBase::setExternalMIDIIn(int& selection, const char* name) {
    // The library's close does not wait for a callback already running.
    shutMIDIInput();
    try {
        if (m_midiInSelection > 0 && m_midiIn) m_midiIn->closePort();
        m_midiInSelection = selection;
        if (selection == 0) {
            if (m_midiIn) m_midiIn->closePort();
            return;
        }
        const int idx = findPort(m_midiInNames, name);
        selection = idx < 0 ? 0 : idx;
        if (idx <= 0) return;
        m_midiIn->closePort();
        const int port = livePort(m_midiIn, name);
        if (port < 0) {
            selection = 0;
            return;
        }
        m_midiIn->openPort(unsigned(port), "RtMidi Input");
        // The callback set when the client was made stays; setting it again only warns.
        m_midiIn->ignoreTypes(false, true, true);
        m_midiInOpen = true;
    } catch (const RtMidiError& e) {
        e.printMessage();
        selection = 0;
    }
}

int IEffectBase::getExternalMIDIInDevice(const char* name) {
    return findPort(m_midiInNames, name);
}

int IEffectBase::getExternalMIDIOutDevice(const char* name) {
    return findPort(m_midiOutNames, name);
}

int IEffectBase::GetMIDIInPortNumber(const char* name) {
    return portNumber(m_midiIn, name, "virtual input");
}

int IEffectBase::GetMIDIOutPortNumber(const char* name) {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    return portNumber(m_midiOut, name, "virtual output");
}

bool IEffectBase::initializeVirtualOutput(std::string name) {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    delete m_midiOut;
    m_midiOut = nullptr;
    m_midiOutOpen = false;
    try {
        m_midiOut = platform::NewMidiOut("RtMidi Output Client");
        m_midiOut->openVirtualPort("From " + name);
        m_midiOutOpen = true;
        return true;
    } catch (const RtMidiError& e) {
        e.printMessage();
        return false;
    }
}

void IEffectBase::MIDICallback(double deltaTime, std::vector<unsigned char>* bytes,
                               void* userData) {
    auto* plug = static_cast<IEffectBase*>(userData);
    if (!plug) return;
    try {
        std::lock_guard<std::recursive_mutex> gate(plug->m_midiInGate);
        // A call that began before the port closed may still arrive: it must not reach a
        // plug-in whose parts are being taken down.
        if (plug->m_midiInOpen) processMIDIInput(deltaTime, bytes, plug);
    } catch (...) {
        // The library's input thread must survive whatever the plug-in raises.
    }
}

void IEffectBase::shutMIDIInput() {
    m_midiInOpen = false;
    // Free at once when no callback runs, or when this is the callback's own thread.
    if (m_midiInGate.try_lock()) {
        m_midiInGate.unlock();
        return;
    }
    // The callback in flight may be waiting for the plug lock this thread holds.
    KIT_MutexRelease released(&m_mutex);
    std::lock_guard<std::recursive_mutex> wait(m_midiInGate);
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
    try {
        m_midiOut->sendMessage(bytes, size_t(size));
        return true;
    } catch (const RtMidiError& e) {
        e.printMessage();
        return false;
    }
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
}

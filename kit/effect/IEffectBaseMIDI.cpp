// The plug-in base's external MIDI ports: their clients on the MIDI system, the port lists by
// name, opening and closing, the input callback and the guarded output.

#include "kit/effect/IEffectBase.h"

#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiInput.h"
#include "platform/midi/MidiOutput.h"
#include "platform/midi/MidiPortNames.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <system_error>

namespace {

const char* const kNoDevice = "Select MIDI Device";

// The index of name, or of the one port it names under an older ALSA client number, in the
// cached list; -1 when absent. The whole list is searched: a port that has gone since the list
// was built does not hide the names after it (they open by name).
int findPort(const std::vector<std::string>& names, const char* name) {
    return name ? platform::MatchPortName(names, name) : -1;
}

int portNumber(const std::vector<std::string>& names, const char* name, const char* virtualName) {
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

platform::MidiPortWatch& IEffectBase::midiWatcher(const char* effectName) {
    if (!m_midiWatcher)
        m_midiWatcher = std::make_unique<platform::MidiPortWatch>(
            midiClientName(effectName, m_instanceNumber, nullptr));
    return *m_midiWatcher;
}

void IEffectBase::BeginExternalMIDILook(const char* effectName) {
    if (!m_midiLook && !m_midiLooked)
        m_midiLook =
            std::make_unique<platform::MidiPortLook>(midiWatcher(effectName ? effectName : ""));
}

void IEffectBase::EndExternalMIDILook() {
    if (m_midiLook) lookForExternalMIDI();
    // The look's JACK client stays only while something is followed.
    followExternalMIDI();
}

// Both lists at once: one look at the MIDI system, which says which system it is.
void IEffectBase::lookForExternalMIDI() {
    if (m_midiLooked) return;
    const unsigned look = ++m_midiLooksStarted;
    takeFirstExternalMIDILook(m_midiLook ? m_midiLook->Ports()
                                         : platform::LookForMidiPorts(midiClientName(nullptr)),
                              look);
}

void IEffectBase::takeFirstExternalMIDILook(const platform::MidiPorts& ports, unsigned look) {
    m_midiLook.reset();
    m_midiLooked = true;
    m_midiLookTaken = look;
    const auto report = [this](const std::string& text) { LogExternalMIDI(text); };
    m_midiInErrors = std::make_unique<platform::MidiErrors>(report);
    m_midiOutErrors = std::make_unique<platform::MidiErrors>(report);
    m_midiSystem = ports.system;
    m_midiMissing = ports.missing;
    LogExternalMIDI(ports.about);
    m_midiInNames = listOf(ports.sources);
    m_midiOutNames = listOf(ports.destinations);
    showExternalMIDIMenus();
}

// Made when a port of the direction is first opened, so that a plug-in with no port chosen
// has no client on the MIDI system. The library's errors are caught where they arise.
platform::MidiOutput* IEffectBase::outputClient() {
    if (!m_midiOut) {
        m_midiOutErrors->TakeFailure();
        m_midiOut = platform::NewMidiOutput(m_midiSystem, midiClientName("Out"), *m_midiOutErrors,
                                            &midiWatcher(m_effectName));
    }
    return m_midiOut.get();
}

platform::MidiInput* IEffectBase::inputClient() {
    if (!m_midiIn) {
        m_midiInErrors->TakeFailure();
        // Before the input, whose thread then sees it whole.
        auto relay = std::make_unique<platform::MidiInputRelay>(
            [this](const std::vector<unsigned char>& bytes) { receiveMIDI(bytes); },
            [this](size_t dropped) {
                LogExternalMIDI(std::to_string(dropped) +
                                " received messages dropped: the input fell behind");
            });
        m_midiIn = platform::NewMidiInput(m_midiSystem, midiClientName("In"), *relay,
                                          *m_midiInErrors, &midiWatcher(m_effectName));
        if (!m_midiIn) return nullptr;
        m_midiInRelay = std::move(relay);
    }
    return m_midiIn.get();
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

std::unique_lock<std::mutex> IEffectBase::takePortChange() {
    std::unique_lock<std::mutex> change(m_midiPortChange, std::try_to_lock);
    if (!change.owns_lock()) {
        KIT_MutexRelease released(&m_mutex);
        change.lock();
    }
    return change;
}

// A choice is counted from before it waits for its turn: the port watch leaves the direction
// alone while it is under way, and drops what it decided on before it.
void IEffectBase::setExternalMIDIOut(int& selection, const char* name) {
    KIT_MutexLock plug(&m_mutex);
    {
        const PortChoice choice(m_midiChoices[0]);
        changeExternalMIDIOut(selection, name);
    }
    endPortChoice();
}

void IEffectBase::setExternalMIDIIn(int& selection, const char* name) {
    KIT_MutexLock plug(&m_mutex);
    {
        const PortChoice choice(m_midiChoices[1]);
        changeExternalMIDIIn(selection, name);
    }
    endPortChoice();
}

bool IEffectBase::chosenSince(bool input, unsigned made) const {
    const PortChoices& choices = m_midiChoices[input];
    return choices.made != made || choices.underWay > 0;
}

void IEffectBase::endPortChoice() {
    if (m_midiWatching && !followsExternalMIDI())
        platform::MidiPortWatch::Notice(m_midiWatcher.get());
}

void IEffectBase::changeExternalMIDIOut(int& selection, const char* name) {
    // The port watch changes the same state under the plug lock.
    KIT_MutexLock plug(&m_mutex);
    const std::unique_lock<std::mutex> change = takePortChange();
    // A port opens by the lists' names.
    if (selection != 0) lookForExternalMIDI();
    m_midiOutPortName.clear();
    m_midiOutUnconnected = false;
    m_midiOutSelection = selection;
    const bool choosing = selection != 0 && !m_midiOutNames.empty();
    const int idx = choosing ? findPort(m_midiOutNames, name) : -1;
    const std::string listed = idx > 0 ? m_midiOutNames[size_t(idx)] : "";
    bool opened = false;
    std::string took;
    try {
        platform::MidiOutput* client;
        {
            std::lock_guard<std::mutex> lock(m_midiOutMutex);
            client = listed.empty() ? m_midiOut.get() : outputClient();
        }
        // JACK closes and opens a port in some of its cycles: the audio thread and the host
        // go on meanwhile. Sends wait for the new port.
        KIT_MutexRelease released(&m_mutex);
        std::lock_guard<std::mutex> lock(m_midiOutMutex);
        if (client) client->Close();
        m_midiOutOpen = false;
        ++m_midiConnection;
        if (client && !listed.empty()) {
            // A send that failed before (into a port whose peer had gone) is no failure of
            // this open.
            m_midiOutErrors->TakeFailure();
            // By name: the cached list may be older than the system's ports, and its index
            // would then open some other device.
            const bool there = client->Open(listed, "RtMidi Output");
            m_midiOutOpen = opened = there && !m_midiOutErrors->TakeFailure();
            if (opened) took = client->ClientName();
        }
    } catch (const RtMidiError& e) {
        LogExternalMIDI(e.getMessage());
    }
    m_midiOutClient = took;
    // No choice, or no list to choose from: the caller's selection stays.
    if (!choosing) return;
    if (opened) m_midiOutPortName = listed;
    // The port's place in the lists as they are now: the watch or a menu may have taken newer
    // ones while the plug lock was let go.
    selection = openExternalMIDIPort(false);
    followExternalMIDI();
}

void IEffectBase::changeExternalMIDIIn(int& selection, const char* name) {
    KIT_MutexLock plug(&m_mutex);
    const std::unique_lock<std::mutex> change = takePortChange();
    if (selection != 0) lookForExternalMIDI();
    // Closing the port does not wait for what the relay is still handing over.
    shutMIDIInput();
    m_midiInPortName.clear();
    m_midiInUnconnected = false;
    m_midiInSelection = selection;
    const bool choosing = selection != 0;
    const int idx = choosing ? findPort(m_midiInNames, name) : -1;
    const std::string listed = idx > 0 ? m_midiInNames[size_t(idx)] : "";
    bool opened = false;
    std::string took;
    try {
        platform::MidiInput* input;
        {
            std::lock_guard<std::mutex> lock(m_midiInMutex);
            input = listed.empty() ? m_midiIn.get() : inputClient();
        }
        KIT_MutexRelease released(&m_mutex);
        std::lock_guard<std::mutex> lock(m_midiInMutex);
        if (input) input->Close();
        ++m_midiConnection;
        if (input && !listed.empty()) {
            const bool there = input->Open(listed, "RtMidi Input");
            // Taken also when the open failed, so that it does not count against the next.
            const bool failed = m_midiInErrors->TakeFailure();
            opened = there && !failed;
            if (opened) took = input->ClientName();
        }
        m_midiInOpen = opened;
    } catch (const RtMidiError& e) {
        LogExternalMIDI(e.getMessage());
    }
    m_midiInClient = took;
    if (!choosing) return;
    if (opened) m_midiInPortName = listed;
    selection = openExternalMIDIPort(true);
    followExternalMIDI();
}

std::optional<platform::PortLink> IEffectBase::externalMIDILink(bool input, std::string* why,
                                                                bool wait) {
    std::unique_lock<std::mutex> lock(input ? m_midiInMutex : m_midiOutMutex, std::defer_lock);
    if (!wait && !lock.try_lock()) return std::nullopt;
    if (wait) lock.lock();
    const bool open = input ? m_midiIn && m_midiInOpen : m_midiOut && m_midiOutOpen;
    if (!open) return platform::PortLink::kLost;
    return input ? m_midiIn->Link(why) : m_midiOut->Link(why);
}

bool IEffectBase::externalMIDIInReaches() {
    if (m_midiInAwaiting) return false;
    {
        std::lock_guard<std::mutex> lock(m_midiInMutex);
        // None chosen (or one a test plug-in claims): the wait for an answer tells.
        if (!m_midiIn || !m_midiInOpen) return true;
    }
    std::string why;
    const platform::PortLink link = *externalMIDILink(true, &why, true);
    return link == platform::PortLink::kReaches || link == platform::PortLink::kPending;
}

int IEffectBase::getExternalMIDIInDevice(const char* name) {
    KIT_MutexLock plug(&m_mutex);
    return findPort(getExternalMIDIInNames(), name);
}

int IEffectBase::getExternalMIDIOutDevice(const char* name) {
    KIT_MutexLock plug(&m_mutex);
    return findPort(getExternalMIDIOutNames(), name);
}

int IEffectBase::GetMIDIInPortNumber(const char* name) {
    KIT_MutexLock plug(&m_mutex);
    return portNumber(getExternalMIDIInNames(), name, "virtual input");
}

int IEffectBase::GetMIDIOutPortNumber(const char* name) {
    KIT_MutexLock plug(&m_mutex);
    return portNumber(getExternalMIDIOutNames(), name, "virtual output");
}

int IEffectBase::openExternalMIDIPort(bool input) const {
    const std::string& open = input ? m_midiInPortName : m_midiOutPortName;
    const std::vector<std::string>& names = input ? m_midiInNames : m_midiOutNames;
    const auto it = std::find(names.begin(), names.end(), open);
    return open.empty() || it == names.end() ? 0 : int(it - names.begin());
}

void IEffectBase::AttachExternalMIDIMenu(int paramIdx, bool input) {
    if (!GetParam(paramIdx)) return;
    m_midiMenus.emplace_back(paramIdx, input);
    // A plug-in that opens no port at start-up looks when a menu first opens.
    if (m_midiLook && !m_midiLooked) lookForExternalMIDI();
    showExternalMIDIMenus();
}

void IEffectBase::showExternalMIDIMenus() {
    m_midiMenusStale = false;
    for (const auto& [paramIdx, input] : m_midiMenus) {
        IParam* param = GetParam(paramIdx);
        const std::vector<std::string> names =
            m_midiLooked ? (input ? m_midiInNames : m_midiOutNames) : listOf({});
        param->ResetDisplayTexts();
        param->InitEnum("Device Selection", 0, int(names.size()), "", "", -1, -1);
        for (size_t i = 0; i < names.size(); ++i)
            param->SetDisplayText(int(i), names[i].c_str());
        param->Set(openExternalMIDIPort(input));
        if (m_graphics) m_graphics->SetParameterFromPlug(paramIdx, param->Value(), false);
    }
}

void IEffectBase::OnParamPrompt(int paramIdx) {
    const auto menu = [paramIdx](const std::pair<int, bool>& m) { return m.first == paramIdx; };
    if (std::none_of(m_midiMenus.begin(), m_midiMenus.end(), menu)) return;
    KIT_MutexLock lock(&m_mutex);
    const platform::MidiSystem scope = externalMIDIScope();
    const bool watching = m_midiWatching;
    const unsigned look = ++m_midiLooksStarted;
    platform::MidiPorts ports;
    {
        // A look may take a while on a loaded machine: the audio thread and the host go on.
        KIT_MutexRelease released(&m_mutex);
        ports = watching ? m_midiWatcher->Look(scope)
                         : platform::LookForMidiPorts(midiClientName(nullptr), scope);
    }
    // With no port open, the menu has nothing to offer but why.
    if (ports.system == platform::MidiSystem::kNone && scope == platform::MidiSystem::kNone)
        OnExternalMIDIMissing(ports.missing);
    if (m_midiLooked)
        takeExternalMIDILook(ports, true, look);
    else
        takeFirstExternalMIDILook(ports, look);
}

platform::MidiSystem IEffectBase::externalMIDIScope() const {
    return m_midiIn || m_midiOut ? m_midiSystem : platform::MidiSystem::kNone;
}

bool IEffectBase::ownExternalMIDIPort(const std::string& name) const {
    const auto ownedBy = [&name](const std::string& client) {
        return name.size() > client.size() && name.compare(0, client.size(), client) == 0 &&
               name[client.size()] == ':';
    };
    // JACK may have given a client of ours a numbered name.
    return ownedBy(midiClientName("In")) || ownedBy(midiClientName("Out")) ||
           (!m_midiInClient.empty() && ownedBy(m_midiInClient)) ||
           (!m_midiOutClient.empty() && ownedBy(m_midiOutClient));
}

// The lists become what the look found; an open port that no longer reaches its peer (its
// device unplugged, its program ended or reopened its port, its JACK server ended or never ran
// it) closes and is awaited, one disconnected in a patchbay stays open and is said to be, and
// an awaited port that is there now opens, also under another ALSA client number. A look that
// found no MIDI system changes nothing: a JACK client that failed to open on a loaded machine
// must not close the ports that work.
bool IEffectBase::takeExternalMIDILook(const platform::MidiPorts& ports, bool menuOpening,
                                       unsigned look) {
    // Nothing opens while the plug-in is taken down.
    if (ports.system == platform::MidiSystem::kNone || m_midiWatchStop) return true;
    // Looks run without the plug lock: one begun before a look already taken saw older ports.
    if (look < m_midiLookTaken) {
        if (m_midiMenusStale && menuOpening) showExternalMIDIMenus();
        return false;
    }
    m_midiLookTaken = look;
    // The plug-in's own ports, there since it opened one, are no choice.
    const auto choices = [&](std::vector<std::string> names) {
        names.erase(
            std::remove_if(names.begin(), names.end(),
                           [&](const std::string& name) { return ownExternalMIDIPort(name); }),
            names.end());
        return listOf(names);
    };
    std::vector<std::string> ins = choices(ports.sources), outs = choices(ports.destinations);
    const bool systemChanged = ports.missing != m_midiMissing || ports.system != m_midiSystem;
    if (ins != m_midiInNames || outs != m_midiOutNames) m_midiMenusStale = true;
    if (systemChanged) LogExternalMIDI(ports.about);
    m_midiSystem = ports.system;
    m_midiMissing = ports.missing;
    bool changed = systemChanged, portsChanged = false, opened = false, whole = true;
    // Before any port change lets go of the plug lock, after which a newer look may come.
    m_midiInNames = ins;
    m_midiOutNames = outs;
    for (const bool input : {true, false}) {
        const std::vector<std::string>& names = input ? ins : outs;
        const std::string open = input ? m_midiInPortName : m_midiOutPortName;
        // A choice under way decides the direction.
        const unsigned made = m_midiChoices[input].made;
        if (open.empty() || chosenSince(input, made)) continue;
        std::string why;
        // A port change under way is looked at again once it is done.
        const std::optional<platform::PortLink> known = externalMIDILink(input, &why, false);
        if (!known) {
            whole = false;
            continue;
        }
        const platform::PortLink link = *known;
        const bool listed = std::find(names.begin(), names.end(), open) != names.end();
        if (listed && link != platform::PortLink::kLost) {
            bool& unconnected = input ? m_midiInUnconnected : m_midiOutUnconnected;
            const bool now = link == platform::PortLink::kUnconnected;
            if (now == unconnected) continue;
            unconnected = now;
            // Connected again in a patchbay: asked for the synthesizer as a port opened.
            opened = opened || !now;
            changed = true;
            continue;
        }
        if (listed)
            LogExternalMIDI(std::string("MIDI ") + (input ? "In" : "Out") + " '" + open +
                            "' taken again: " + why);
        int none = 0;
        input ? changeExternalMIDIIn(none, nullptr) : changeExternalMIDIOut(none, nullptr);
        changed = portsChanged = true;
        // The close let go of the plug lock: a port chosen meanwhile stands.
        if (!chosenSince(input, made)) awaitExternalMIDI(input, open);
    }
    for (const bool input : {true, false}) {
        const std::string awaited = awaitedExternalMIDI(input);
        const unsigned made = m_midiChoices[input].made;
        // A port change lets go of the plug lock: the plug-in may be going by now.
        if (awaited.empty() || m_midiWatchStop || chosenSince(input, made)) continue;
        int selection = 1;
        input ? changeExternalMIDIIn(selection, awaited.c_str())
              : changeExternalMIDIOut(selection, awaited.c_str());
        // A choice that waited for this open replaces it, and probes what it opens.
        if (selection <= 0 || chosenSince(input, made)) continue;
        awaitExternalMIDI(input, "");
        changed = portsChanged = opened = true;
    }
    // A menu's entries change under the user only as it opens, or with the ports it shows open.
    if ((m_midiMenusStale && menuOpening) || portsChanged || systemChanged) showExternalMIDIMenus();
    if (changed) OnExternalMIDIChanged(opened);
    return whole;
}

void IEffectBase::awaitExternalMIDI(bool input, const std::string& name) {
    (input ? m_midiInAwaited : m_midiOutAwaited) = name;
    if (input) m_midiInAwaiting = !name.empty();
    followExternalMIDI();
}

bool IEffectBase::followsExternalMIDI() const {
    const bool awaited = !m_midiInAwaited.empty() || !m_midiOutAwaited.empty();
    const bool jackPort = !m_midiInPortName.empty() || !m_midiOutPortName.empty();
    return awaited || (jackPort && m_midiSystem == platform::MidiSystem::kJack);
}

void IEffectBase::followExternalMIDI() {
    if (m_midiWatching || m_midiWatchStop || !m_midiLooked) return;
    if (!followsExternalMIDI()) {
        if (m_midiWatcher) m_midiWatcher->Release();
        return;
    }
    // One that found nothing left to follow has ended, or is about to.
    if (m_midiWatch.joinable()) m_midiWatch.join();
    try {
        midiWatcher(m_effectName);
        m_midiWatch = std::thread([this] { watchExternalMIDI(); });
        m_midiWatching = true;
    } catch (const std::system_error&) {
        LogExternalMIDI("no thread to follow the ports; a device menu looks for them");
    }
}

// Looks first, and then whenever the watch says the ports may have changed, and every two
// seconds while a port is awaited or has not shown yet what it reaches. A JACK look the same as
// the last one, with the open ports reaching what they did (a notice about nothing that shows,
// as another program's connection), leaves the plug lock, which the audio thread would find
// taken, alone.
void IEffectBase::watchExternalMIDI() {
    using platform::PortLink;
    platform::MidiPortWatch& watcher = *m_midiWatcher;
    platform::MidiPorts last;
    std::pair<PortLink, PortLink> lastLinks;
    for (;;) {
        platform::MidiSystem scope;
        bool awaited;
        unsigned look;
        {
            KIT_MutexLock lock(&m_mutex);
            if (m_midiWatchStop) return;
            // A choice under way may follow a port once it is done: the watch's client, which
            // the server tells of ports, stays meanwhile rather than go and come back.
            const bool choosing = m_midiChoices[0].underWay > 0 || m_midiChoices[1].underWay > 0;
            if (!followsExternalMIDI() && !choosing) {
                watcher.Release();
                m_midiWatching = false;
                return;
            }
            scope = externalMIDIScope();
            awaited = !m_midiInAwaited.empty() || !m_midiOutAwaited.empty();
            look = ++m_midiLooksStarted;
        }
        platform::MidiPorts ports = watcher.Look(scope);
        std::string why;
        const std::pair<PortLink, PortLink> links = {*externalMIDILink(true, &why, true),
                                                     *externalMIDILink(false, &why, true)};
        const bool same = !awaited && ports.system == platform::MidiSystem::kJack &&
                          ports.system == last.system && ports.missing == last.missing &&
                          ports.sources == last.sources &&
                          ports.destinations == last.destinations && links == lastLinks;
        bool whole = true;
        if (!same) {
            KIT_MutexLock lock(&m_mutex);
            whole = takeExternalMIDILook(ports, false, look);
        }
        // A port that a change or a send held is looked at again soon, as new.
        last = whole ? std::move(ports) : platform::MidiPorts();
        lastLinks = links;
        const bool pending =
            links.first == PortLink::kPending || links.second == PortLink::kPending;
        if (!watcher.Wait(awaited || pending || !whole)) return;
    }
}

void IEffectBase::stopExternalMIDIWatch() {
    std::thread watch;
    {
        KIT_MutexLock lock(&m_mutex);
        m_midiWatchStop = true;
        watch = std::move(m_midiWatch);
    }
    if (!watch.joinable()) return;
    m_midiWatcher->Stop();
    // Its look may be waiting for the plug lock.
    KIT_MutexRelease released(&m_mutex);
    watch.join();
}

bool IEffectBase::initializeVirtualOutput(std::string name) {
    KIT_MutexLock plug(&m_mutex);
    const std::unique_lock<std::mutex> change = takePortChange();
    lookForExternalMIDI();
    // The port named before is no longer open.
    m_midiOutPortName.clear();
    m_midiOutUnconnected = false;
    m_midiOutClient.clear();
    std::unique_ptr<platform::MidiOutput> old;
    platform::MidiOutput* client = nullptr;
    bool opened = false;
    try {
        std::lock_guard<std::mutex> lock(m_midiOutMutex);
        old = std::move(m_midiOut);
        m_midiOutOpen = false;
        ++m_midiConnection;
        client = outputClient();
    } catch (const RtMidiError& e) {
        LogExternalMIDI(e.getMessage());
    }
    {
        // The old client lets the server take what it holds, and the new one opens, in JACK's
        // cycles: the audio thread and the host go on meanwhile.
        KIT_MutexRelease released(&m_mutex);
        std::lock_guard<std::mutex> lock(m_midiOutMutex);
        old.reset();
        try {
            opened = client && client->OpenVirtual("From " + name);
            m_midiOutOpen = opened = opened && !m_midiOutErrors->TakeFailure();
        } catch (const RtMidiError& e) {
            LogExternalMIDI(e.getMessage());
        }
    }
    return opened;
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
    if (!m_midiOut || !m_midiOutOpen) return false;
    const bool queued = m_midiOut->Send(bytes, size_t(size));
    return !m_midiOutErrors->TakeFailure() && queued;
}

uint64_t IEffectBase::ExternalMIDIOutQueued() {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    return m_midiOut ? m_midiOut->Queued() : 0;
}

platform::MidiDelivery IEffectBase::ExternalMIDIOutDelivery(uint64_t message) {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    return m_midiOut ? m_midiOut->Delivery(message) : platform::MidiDelivery::kMayBeLost;
}

int64_t IEffectBase::ExternalMIDIOutXrunShadowNs() {
    std::lock_guard<std::mutex> lock(m_midiOutMutex);
    return m_midiOut ? m_midiOut->XrunShadowNs() : 0;
}

void IEffectBase::closeExternalMIDI() {
    stopExternalMIDIWatch();
    shutMIDIInput();
    {
        std::lock_guard<std::mutex> lock(m_midiOutMutex);
        m_midiOutOpen = false;
        m_midiOut.reset(); // the port closes on the way
    }
    {
        std::lock_guard<std::mutex> lock(m_midiInMutex);
        m_midiIn.reset();
    }
    m_midiInRelay.reset(); // no client feeds it any more
}

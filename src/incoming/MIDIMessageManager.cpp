#include "src/incoming/MIDIMessageManager.h"

#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SenderWorker.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdint>
#include <string>

namespace {
const char kNothingToStoreInto[] = "No bank to store into: import or create one first";

// Whether the job is a request (6 to 8) whose answer goes into the editor.
bool requestsIntoEditor(const SenderJob& job) {
    switch (job.command) {
    case SenderJob::kSendActiveArrangementRequestSysex:
    case SenderJob::kSendPartRequestSysex:
    case SenderJob::kSendSequenceRequestSysex:
        return job.toEditor;
    default:
        return false;
    }
}

// Whether the job's answer goes into the librarian's selected slot.
bool storesIntoLibrarian(const SenderJob& job) {
    switch (job.command) {
    case SenderJob::kSendActiveArrangementRequestSysex:
    case SenderJob::kSendPartRequestSysex:
    case SenderJob::kSendSequenceRequestSysex:
        return !job.toEditor;
    case SenderJob::kSendSingleMultiRequestSysex:
    case SenderJob::kSendAllMultiRequestSysex:
    case SenderJob::kSendSinglePatchRequestSysex:
    case SenderJob::kSendAllPatchRequestSysex:
    case SenderJob::kSendSingleSequenceRequestSysex:
    case SenderJob::kSendAllSequenceRequestSysex:
        return true;
    default:
        return false;
    }
}
} // namespace

MIDIMessageManager::MIDIMessageManager(SenderPlugin* plugin, PatchManager* patchManager,
                                       PatchLibrarian* librarian, IGraphics* graphics)
    : plugin(plugin), patchManager(patchManager), graphics(graphics), librarian(librarian),
      sender(std::make_unique<MIDIMessageSender>(patchManager, plugin, librarian, this)) {
    workers[kJobThread] = std::make_unique<SenderWorker>(
        sender.get(), [plugin](int command) { plugin->jobThreadIdle(command); });
    for (auto& worker : workers)
        if (!worker) worker = std::make_unique<SenderWorker>(sender.get());
}

MIDIMessageManager::~MIDIMessageManager() {
    stopWorkers();
}

void MIDIMessageManager::stopWorkers() {
    sender->resetContinuousClock(true);
    sender->requestStop();
    for (auto& worker : workers)
        worker->close();
}

MIDIMessageManager::Worker MIDIMessageManager::workerFor(int command) {
    switch (command) {
    case SenderJob::kStartMIDIClockOutput:
    case SenderJob::kStopMIDIClockOutput:
        return kClockThread;
    case SenderJob::kSendContinuousMIDIClock:
        return kClockTickThread;
    default:
        return kJobThread;
    }
}

bool MIDIMessageManager::postJob(int command, const std::function<void(SenderJob&)>& setArguments) {
    // Asked before the worker's lock is taken, and only for requests: the clock posts of the
    // audio thread never wait for the librarian (nor do its requests into the editor, which
    // go through postEditorRequest).
    const bool request = command >= SenderJob::kSendActiveArrangementRequestSysex &&
                         command <= SenderJob::kSendAllSequenceRequestSysex;
    const bool storable = !request || (librarian && librarian->hasUpperBank());
    bool refused = false;
    const bool posted =
        workers[workerFor(command)]->post(command, setArguments, [&](const SenderJob& job) {
            refused = !storable && storesIntoLibrarian(job);
            if (!refused && workerFor(command) == kJobThread) {
                editorRequestPosted = requestsIntoEditor(job);
                probePosted = command == SenderJob::kSendDeviceIdEnquiry;
                if (probePosted) sender->endProbe = false;
            }
            return !refused;
        });
    if (refused) {
        // Every answer would be dropped and the job would wait out each slot: it is not
        // started, and the collection its poster armed is ended.
        disarmLibrarianRequests();
        plugin->setUpperDisplayText(kNothingToStoreInto);
        plugin->printDebugInfo("PATCH LIBRARIAN: request refused, no bank to store into");
    }
    return posted;
}

bool MIDIMessageManager::isRunning(Worker worker) const {
    return workers[worker]->isRunning();
}

void MIDIMessageManager::endRequestIntoEditor() {
    if (!isRunning(kJobThread) || !(probePosted || editorRequestPosted)) return;
    // The probe takes a cancel only in its scan; before that it looks at its own flag.
    if (probePosted) sender->endProbe = true;
    sender->cancel = true;
}

void MIDIMessageManager::postPatchRequest(int command,
                                          const std::function<void(SenderJob&)>& setArguments) {
    bool armed = false;
    bool wasActive = false, hadAnswer = false;
    const bool posted = postJob(command, [&](SenderJob& job) {
        wasActive = patchRequest.active;
        hadAnswer = answerReceived;
        patchRequest.arm();
        answerReceived = false;
        armed = true;
        setArguments(job);
    });
    // The thread library may refuse the start after the collection was armed: the collection
    // and the answer flag are then as they were (an armed collection holds nothing yet, a
    // completed one was stored already).
    if (posted || !armed) return;
    patchRequest.active = wasActive;
    answerReceived = hadAnswer;
}

void MIDIMessageManager::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) {
    postPatchRequest(SenderJob::kSendSinglePatchRequestSysex, [&](SenderJob& job) {
        job.editBuffer = editBuffer;
        job.bank = bank;
    });
}

void MIDIMessageManager::sendAllPatchRequestSysexFromLibrarian(int bank) {
    postPatchRequest(SenderJob::kSendAllPatchRequestSysex,
                     [&](SenderJob& job) { job.bank = bank; });
}

void MIDIMessageManager::sendSysexMessage(std::vector<int> message) {
    if (plugin->GetParamValue(kDeviceOutSelection) == 0.0) {
        plugin->setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    if (message.empty()) return;
    std::vector<uint8_t> bytes;
    bytes.reserve(message.size());
    for (int v : message)
        bytes.push_back(uint8_t(v & 0xFF));
    plugin->SendMidiSysex(bytes.data(), int(bytes.size()));
    plugin->logSysExOut(bytes.data(), int(bytes.size()));
}

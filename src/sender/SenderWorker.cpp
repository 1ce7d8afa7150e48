#include "src/sender/SenderWorker.h"

#include "src/sender/MIDIMessageSender.h"

#include <exception>

namespace {
constexpr long kFinishMillis = 5000;
}

SenderWorker::SenderWorker(MIDIMessageSender* sender) : sender(sender) {}

// The owner closes a worker before it lets it go; a finished run is joined here at the latest.
SenderWorker::~SenderWorker() {
    close(kFinishMillis);
}

bool SenderWorker::post(int command, const std::function<void(SenderJob&)>& setArguments,
                        const std::function<bool(const SenderJob&)>& admit) {
    std::lock_guard<std::mutex> lock(mutex);
    if (closed || running) return false;
    try {
        // The thread library keeps a finished run joinable and refuses a new start until then.
        if (unjoined) {
            thread.join();
            unjoined = false;
        }
        const SenderJob last = job;
        job.command = command;
        if (setArguments) setArguments(job);
        if (admit && !admit(job)) {
            job = last;
            return false;
        }
        running = true;
        thread.start(*this);
        unjoined = true;
        return true;
    } catch (const std::exception&) {
        running = false;
        return false;
    }
}

bool SenderWorker::close(long timeoutMillis) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
    }
    // No post gets past `closed` any more, so the thread is ours alone; waiting without the
    // lock lets a job that posts while it ends be refused instead of blocked.
    if (!unjoined) return true;
    try {
        if (!thread.tryJoin(timeoutMillis)) return false;
    } catch (const std::exception&) {
        return false;
    }
    unjoined = false;
    return true;
}

void SenderWorker::run() {
    // Idle again however the job ends; an exception goes on to the thread library.
    struct Idle {
        std::atomic<bool>& running;
        ~Idle() { running = false; }
    } idle{running};
    sender->run(job);
}

#include "src/sender/SenderWorker.h"

#include "src/sender/MIDIMessageSender.h"

#include <exception>

SenderWorker::SenderWorker(MIDIMessageSender* sender, std::function<void(int command)> ended)
    : sender(sender), ended(std::move(ended)) {
    try {
        thread.start(*this);
        started = true;
    } catch (const std::exception&) {
        // Without its thread the worker refuses every post.
    }
}

// The owner closes a worker before it lets it go; the thread is joined here at the latest.
SenderWorker::~SenderWorker() {
    close();
}

bool SenderWorker::post(int command, const std::function<void(SenderJob&)>& setArguments,
                        const std::function<bool(const SenderJob&)>& admit) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!started || closed || running) return false;
    const SenderJob last = job;
    job.command = command;
    if (setArguments) setArguments(job);
    if (admit && !admit(job)) {
        job = last;
        return false;
    }
    running = busy = true;
    wake.notify_one();
    return true;
}

void SenderWorker::close() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (closed) return;
        closed = true;
    }
    wake.notify_one();
    if (started) thread.join();
}

void SenderWorker::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return closed || running; });
        // A job taken before the close still runs: its post said so, and its waits end at once.
        if (!running) break;
        // The record is the job's alone while it runs: every post is refused meanwhile.
        const int command = job.command;
        lock.unlock();
        try {
            sender->run(job);
        } catch (...) {
            // A job that raises ends there; the worker takes the next one.
        }
        running = false;
        try {
            if (ended) ended(command);
        } catch (...) {
            // Whatever it posted or not, the worker goes on.
        }
        lock.lock();
        busy = running.load();
    }
}

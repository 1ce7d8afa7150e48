#pragma once

#include "src/sender/SenderJob.h"

#include <Poco/Runnable.h>
#include <Poco/Thread.h>
#include <atomic>
#include <functional>
#include <mutex>

class MIDIMessageSender;

// One worker thread of the message manager with its own job record. A job is never queued:
// a post to a running worker is refused.
class SenderWorker : public Poco::Runnable {
public:
    explicit SenderWorker(MIDIMessageSender* sender);
    ~SenderWorker() override;
    SenderWorker(const SenderWorker&) = delete;
    SenderWorker& operator=(const SenderWorker&) = delete;

    // While the worker is idle: writes the command, lets setArguments write the job's
    // arguments (and make the poster's side effects) and starts the job, unless `admit` is
    // given and refuses the job as written; a refused job leaves the record as it was.
    // Returns whether the job was started. Posts from several threads at once are safe.
    bool post(int command, const std::function<void(SenderJob&)>& setArguments,
              const std::function<bool(const SenderJob&)>& admit = {});
    bool isRunning() const { return running.load(); }
    // Refuses every later post and waits up to timeoutMillis for a running job to end; true
    // when none runs any more.
    bool close(long timeoutMillis);

    void run() override;

private:
    MIDIMessageSender* sender;
    Poco::Thread thread;
    std::mutex mutex;
    SenderJob job;
    std::atomic<bool> running{false};
    bool unjoined = false; // the last run has not been joined yet
    bool closed = false;
};

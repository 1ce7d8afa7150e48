#pragma once

#include "src/sender/SenderJob.h"

#include <Poco/Runnable.h>
#include <Poco/Thread.h>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class MIDIMessageSender;

// One worker thread of the message manager with its own job record. The thread lives as long
// as the worker and waits for the next job: a post only wakes it, never starts a thread. A job
// is never queued: a post to a running worker is refused.
class SenderWorker : public Poco::Runnable {
public:
    // `ended`, when given, is told on the worker's thread the command of each job that ended,
    // once the worker takes posts again.
    explicit SenderWorker(MIDIMessageSender* sender, std::function<void(int command)> ended = {});
    ~SenderWorker() override;
    SenderWorker(const SenderWorker&) = delete;
    SenderWorker& operator=(const SenderWorker&) = delete;

    // While the worker is idle: writes the command, lets setArguments write the job's
    // arguments (and make the poster's side effects) and starts the job, unless `admit` is
    // given and refuses the job as written; a refused job leaves the record as it was.
    // Returns whether the job was started. Posts from several threads at once are safe.
    bool post(int command, const std::function<void(SenderJob&)>& setArguments,
              const std::function<bool(const SenderJob&)>& admit = {});
    // Also while `ended` is told of the job that ended.
    bool isRunning() const { return busy.load(); }
    // Refuses every later post, lets a running job end and ends the thread. The owner stops
    // the sender first, which ends every wait of a job; a job posted before the close but not
    // yet begun still runs, its waits ending at once.
    void close();

    void run() override;

private:
    MIDIMessageSender* sender;
    const std::function<void(int)> ended;
    Poco::Thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    SenderJob job;
    std::atomic<bool> running{false}; // posted and not yet ended
    std::atomic<bool> busy{false};    // running, or `ended` not yet told
    bool started = false;             // the thread runs
    bool closed = false;
};

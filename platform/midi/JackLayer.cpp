#include "platform/midi/JackLayer.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <deque>
#include <pthread.h>
#include <semaphore.h>
#include <system_error>
#include <thread>

namespace platform {

struct JackLayer::Queue {
    void (*idle)() = nullptr;
    std::mutex lock;
    std::deque<std::function<void()>> calls;
    sem_t wake;
    // The call under way (its serial, 0 while none is), and the one a caller gave up waiting for.
    std::atomic<uint64_t> running{0};
    std::atomic<uint64_t> givenUpOn{0};
    uint64_t lastSerial = 0;
};

namespace {

// A call, or the idle work, under a serial of its own.
template <class Call> void run(JackLayer::Queue& queue, const Call& call) {
    queue.running = ++queue.lastSerial;
    call();
    queue.running = 0;
}

void runLayer(JackLayer::Queue* queue) {
    // The threads libjack starts from here are kept from SIGPIPE for good.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (;;) {
        while (sem_wait(&queue->wake) != 0 && errno == EINTR) {
        }
        for (;;) {
            std::function<void()> call;
            {
                const std::lock_guard<std::mutex> lock(queue->lock);
                if (queue->calls.empty()) break;
                call = std::move(queue->calls.front());
                queue->calls.pop_front();
            }
            run(*queue, call);
        }
        run(*queue, queue->idle);
    }
}

} // namespace

JackLayer* JackLayer::Get(void (*idle)()) {
    static JackLayer* const made = [idle]() -> JackLayer* {
        auto* queue = new Queue;
        queue->idle = idle;
        sem_init(&queue->wake, 0, 0);
        try {
            std::thread(runLayer, queue).detach();
        } catch (const std::system_error&) {
            return nullptr;
        }
        return new JackLayer(queue);
    }();
    return made;
}

bool JackLayer::post(std::function<void()> call) {
    {
        const std::lock_guard<std::mutex> lock(m_queue->lock);
        m_queue->calls.push_back(std::move(call));
    }
    sem_post(&m_queue->wake);
    const uint64_t running = m_queue->running.load();
    return running != 0 && running == m_queue->givenUpOn.load();
}

void JackLayer::giveUp() {
    m_queue->givenUpOn = m_queue->running.load();
}

void JackLayer::Wake() {
    sem_post(&m_queue->wake);
}

} // namespace platform

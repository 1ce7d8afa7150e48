#pragma once

// jackd2's libjack ends a client's threads by cancelling them wherever they are as the client
// closes, and a thread cancelled inside a test's callback (a string on its way out, the
// sanitizer's own bookkeeping) takes the test down. The tests' own clients are activated through
// this: from then on their threads are cancelled only where they may be.

#include <jack/jack.h>
#include <pthread.h>

namespace testsupport {

inline int ActivateJackClient(jack_client_t* client) {
    // On the thread for the server's notices, which an activated client is told at once. The
    // process thread is left as it is: it waits for its cycles where no cancel would reach it.
    jack_set_graph_order_callback(
        client,
        [](void*) {
            pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
            return 0;
        },
        nullptr);
    return jack_activate(client);
}

} // namespace testsupport

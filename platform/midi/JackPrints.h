#pragma once

// libjack's lines go through the process's print functions (the host's, or libjack's own), each
// call made with its thread's cancel deferred: jackd2's libjack cancels its threads wherever they
// are, and one cancelled inside stdio (its lock taken or waited for) leaves stderr locked for
// good, so that every later print, and the close that makes one, waits forever.
// Called on the JACK layer's thread alone (see JackClient). libjack calls the wrappers on any
// of its threads, for as long as the process lives: the module that holds them stays loaded.

namespace platform {

// Wraps the print functions the process uses now, a host's set since the last call included.
// `freeing` is called, on the printing thread, as jackd2's libjack says that an open (any
// thread's) frees the clients of a server that ended, which it may not have told yet; it must
// neither lock, allocate nor wait. It is early news only: a host that sets its own functions
// again removes the wrappers until the next call.
void DeferLibjackPrints(void (*freeing)());

} // namespace platform

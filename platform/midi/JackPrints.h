#pragma once

// libjack's lines go through the process's print functions (the host's, or libjack's own), each
// call made with its thread's cancel deferred: jackd2's libjack cancels its threads wherever they
// are, and one cancelled inside stdio (its lock taken or waited for) leaves stderr locked for
// good, so that every later print, and the close that makes one, waits forever.
// Called on the JACK layer's thread alone (see JackClient). libjack calls the wrappers on any
// of its threads, for as long as the process lives: the module that holds them stays loaded.

namespace platform {

// Wraps the print functions the process uses now, a host's set since the last call included.
void DeferLibjackPrints();

} // namespace platform

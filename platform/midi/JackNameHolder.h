#pragma once

// Which other JACK server of the user has a client of a given name, for an open that the server
// refused. jackd2's libjack names the socket through which a client opens after the client
// alone, so ours fails when a client of that name opens at the same moment on another server.
// Any thread; no lock; no call into libjack.

#include <string>

namespace platform {

// The running jackd2 server, other than ours, that has a client named `name`; "" when there is
// none, or it cannot be told (another libjack). Looks a few times over some 50 ms: one that opens
// and closes again and again has its client open within moments of the failure it caused.
std::string JackNameHolder(const std::string& name);

// The name JACK gives the `number`th client of a name held: "name-01" ….
std::string NumberedJackName(const std::string& name, int number);

} // namespace platform

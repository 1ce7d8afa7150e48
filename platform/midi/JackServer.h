#pragma once

// Where the JACK server that libjack would ask is, and whether it answers there, told without
// asking libjack: jackd2's and jack1's libjack answer a missing server with lines through the
// process's print functions. Any thread; no lock; nothing here calls into libjack but to tell
// which libjack the module runs on, once.

#include <cstdint>
#include <string>

namespace platform {

// jack1's libjack lacks jack_get_version_string; PipeWire's gives a version of its own.
enum class Libjack { kJackd2, kJack1, kOther };
Libjack WhichLibjack();

// The name of the server libjack asks for a client (JACK_DEFAULT_SERVER, else "default").
std::string JackServerName();

// The socket at which jackd2's server `server` takes clients.
std::string Jackd2Socket(const std::string& server);

// Where the server that libjack asks takes clients; empty where libjack looks by itself
// (PipeWire's, a promiscuous jackd2 server).
std::string JackServerSocket();

// Whether to ask libjack for a client: the server's socket listens; always, where the socket is
// libjack's own business.
bool JackServerAnswers();

// Which jackd2 server answers at `socket`: the socket file's inode, which each server makes anew
// as it starts; 0 when none answers.
uint64_t Jackd2Instance(const std::string& socket);

// Whether a socket listens at `path`, told without connecting: jack1's server logs an error for
// every connection that hangs up with no request.
bool SocketListens(const std::string& path);

} // namespace platform

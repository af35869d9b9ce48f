#pragma once
// Whether a database server answers at all, asked in short steps so that a stop
// ends the wait at once. libpq's own connect cannot be interrupted, and a server
// that accepts connections but never answers would hold it for its whole
// time-out; this probe is what such a server costs instead, once.

#include <atomic>
#include <string>

enum class ServerAnswer { Answers, Silent, Stopped };

// Connects to host:port and sends PostgreSQL's SSL request, whose one-byte
// answer every server gives before anything else. `why` says what went wrong.
ServerAnswer ProbePostgresServer(const std::string& host, int port, int timeoutMs, const std::atomic<bool>* stop,
                                 std::string& why);

#pragma once
// OpenSSL over a non-blocking socket: handshake, read, write and close, each waiting with poll()
// for what OpenSSL asks for (WANT_READ / WANT_WRITE) until one deadline for the whole call.

#include <cstddef>

#include <openssl/types.h>

namespace tovo::ftp::tls {

enum class ReadResult { Ok, Closed, Failed }; // Closed: the peer ended the stream

// Completes the client handshake; false on refusal, error or time-out.
bool handshake(SSL* ssl, int fd, int timeoutMs);
// Reads at most size bytes; received is 0 unless the result is Ok.
ReadResult read(SSL* ssl, int fd, char* buffer, std::size_t size, std::size_t& received, int timeoutMs);
bool writeAll(SSL* ssl, int fd, const char* data, std::size_t size, int timeoutMs);
// Sends our close_notify; true once it is on its way.
bool sendClose(SSL* ssl, int fd, int timeoutMs);
// Reads and drops whatever still comes until the peer ends the stream; true when it did in time.
bool awaitPeerClose(SSL* ssl, int fd, int timeoutMs);
// Without waiting: true when the peer ended the stream or sent something starting with prefix.
bool peerEnded(SSL* ssl, int fd, const char* prefix);

} // namespace tovo::ftp::tls

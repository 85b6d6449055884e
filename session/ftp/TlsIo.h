#pragma once
// OpenSSL over a non-blocking socket: handshake, read, write and close, each waiting with poll()
// for what OpenSSL asks for (WANT_READ / WANT_WRITE) until one deadline for the whole call.

#include <cstddef>

#include <openssl/types.h>

namespace tovo::ftp::tls {

enum class ReadResult { Ok, Closed, Failed }; // Closed: the peer ended the stream

// What a connection has shown so far, kept with its SSL object and freed with it.
struct Notes {
    bool control = false;               // the control connection, not a data connection
    bool offeredControlSession = false; // a data connection offered a session the control connection made
    bool passed = false;                // its certificate passed our decision
    bool closeNotifyReceived = false;   // the peer ended the stream in order, not with a bare close
};
// The notes of ssl, made on first use; they start watching for the peer's close_notify.
Notes& notes(SSL* ssl);

// Completes the client handshake; false on refusal, error or time-out.
bool handshake(SSL* ssl, int fd, int timeoutMs);
// Reads at most size bytes; received is 0 unless the result is Ok.
ReadResult read(SSL* ssl, int fd, char* buffer, std::size_t size, std::size_t& received, int timeoutMs);
// The time-out runs from the last byte the peer took: a slow transfer that keeps moving does not
// fail.
bool writeAll(SSL* ssl, int fd, const char* data, std::size_t size, int timeoutMs);
// Sends our close_notify; true once it is on its way.
bool sendClose(SSL* ssl, int fd, int timeoutMs);
// Reads and drops whatever still comes until the peer ends the stream; true when it did in time. A
// peer that keeps sending does not stretch the time-out.
bool awaitPeerClose(SSL* ssl, int fd, int timeoutMs);
// Without waiting: true when the peer ended the stream or sent something starting with prefix.
bool peerEnded(SSL* ssl, int fd, const char* prefix);

} // namespace tovo::ftp::tls

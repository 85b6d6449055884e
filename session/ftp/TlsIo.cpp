#include "session/ftp/TlsIo.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>

namespace tovo::ftp::tls {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
}

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool pollFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, remainingMs(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// After a call that did not complete: waits for what OpenSSL needs; false when it cannot go on.
bool waitToRetry(SSL* ssl, int fd, int result, Clock::time_point deadline) {
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return pollFor(fd, POLLIN, deadline);
    case SSL_ERROR_WANT_WRITE:
        return pollFor(fd, POLLOUT, deadline);
    default:
        return false;
    }
}

// Bytes on the socket that the peer has not yet acknowledged.
int unacknowledged(int fd) {
    int queued = 0;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

// Waits for room to write. The time-out runs from the last byte the peer took: with the kernel's
// buffers room may come only after many seconds on a slow connection that still moves.
bool waitToWrite(int fd, int timeoutMs) {
    constexpr auto kProgressCheck = std::chrono::milliseconds(100);
    Clock::time_point deadline = deadlineAfter(timeoutMs);
    int queued = unacknowledged(fd);
    for (;;) {
        if (pollFor(fd, POLLOUT, std::min(deadline, Clock::now() + kProgressCheck)))
            return true;
        const int left = unacknowledged(fd);
        if (left < queued)
            deadline = deadlineAfter(timeoutMs);
        else if (Clock::now() >= deadline)
            return false;
        queued = left;
    }
}

void freeNotes(void*, void* kept, CRYPTO_EX_DATA*, int, long, void*) {
    delete static_cast<Notes*>(kept);
}

int notesIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, &freeNotes);
    return index;
}

// A bare TCP close reads as the end of the stream too (SSL_OP_IGNORE_UNEXPECTED_EOF), and OpenSSL
// then records it as if close_notify had come: only the alert itself tells them apart. The read
// alert's flag shares a bit with the written one's, and our own close_notify proves nothing.
void noteAlert(const SSL* ssl, int where, int value) {
    if ((where & SSL_CB_READ_ALERT) == SSL_CB_READ_ALERT && (value & 0xff) == SSL_AD_CLOSE_NOTIFY)
        if (auto* kept = static_cast<Notes*>(SSL_get_ex_data(ssl, notesIndex())))
            kept->closeNotifyReceived = true;
}

} // namespace

Notes& notes(SSL* ssl) {
    auto* kept = static_cast<Notes*>(SSL_get_ex_data(ssl, notesIndex()));
    if (!kept) {
        kept = new Notes;
        SSL_set_ex_data(ssl, notesIndex(), kept);
        SSL_set_info_callback(ssl, &noteAlert);
    }
    return *kept;
}

bool handshake(SSL* ssl, int fd, int timeoutMs) {
    const Clock::time_point deadline = deadlineAfter(timeoutMs);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_connect(ssl);
        if (result == 1)
            return true;
        if (!waitToRetry(ssl, fd, result, deadline))
            return false;
    }
}

ReadResult read(SSL* ssl, int fd, char* buffer, std::size_t size, std::size_t& received, int timeoutMs) {
    received = 0;
    const Clock::time_point deadline = deadlineAfter(timeoutMs);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_read_ex(ssl, buffer, size, &received);
        if (result == 1)
            return ReadResult::Ok;
        received = 0;
        // Connections are made with SSL_OP_IGNORE_UNEXPECTED_EOF: a bare close also reads as zero return.
        if (SSL_get_error(ssl, result) == SSL_ERROR_ZERO_RETURN)
            return ReadResult::Closed;
        if (!waitToRetry(ssl, fd, result, deadline))
            return ReadResult::Failed;
    }
}

bool writeAll(SSL* ssl, int fd, const char* data, std::size_t size, int timeoutMs) {
    while (size > 0) {
        std::size_t written = 0;
        ERR_clear_error();
        const int result = SSL_write_ex(ssl, data, size, &written);
        if (result == 1) {
            data += written;
            size -= written;
            continue;
        }
        const bool ready = SSL_get_error(ssl, result) == SSL_ERROR_WANT_WRITE
                               ? waitToWrite(fd, timeoutMs)
                               : waitToRetry(ssl, fd, result, deadlineAfter(timeoutMs));
        if (!ready)
            return false;
    }
    return true;
}

bool sendClose(SSL* ssl, int fd, int timeoutMs) {
    const Clock::time_point deadline = deadlineAfter(timeoutMs);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_shutdown(ssl);
        if (result >= 0)
            return true; // 0: ours is sent, the peer's not yet seen
        if (!waitToRetry(ssl, fd, result, deadline))
            return false;
    }
}

bool awaitPeerClose(SSL* ssl, int fd, int timeoutMs) {
    const Clock::time_point deadline = deadlineAfter(timeoutMs);
    char discard[4096];
    for (;;) {
        std::size_t received = 0;
        switch (read(ssl, fd, discard, sizeof discard, received, remainingMs(deadline))) {
        case ReadResult::Ok:
            if (remainingMs(deadline) == 0)
                return false;
            continue;
        case ReadResult::Closed:
            return true;
        case ReadResult::Failed:
            // After our close_notify the peer may just close the socket.
            return SSL_get_shutdown(ssl) & SSL_RECEIVED_SHUTDOWN;
        }
    }
}

bool peerEnded(SSL* ssl, int fd, const char* prefix) {
    if (SSL_pending(ssl) == 0 && !pollFor(fd, POLLIN, Clock::now()))
        return false;
    char peek[8] = {};
    std::size_t got = 0;
    ERR_clear_error();
    const int result = SSL_peek_ex(ssl, peek, sizeof peek - 1, &got);
    if (result == 1)
        return std::strncmp(peek, prefix, std::strlen(prefix)) == 0;
    const int error = SSL_get_error(ssl, result);
    // A record that held no data (a session ticket) leaves the connection idle.
    return error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE;
}

} // namespace tovo::ftp::tls

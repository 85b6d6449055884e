#include "session/ftp/Stream.h"

#include "session/ftp/TlsIo.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <sys/socket.h>
#include <utility>

namespace tovo::ftp {

Stream::~Stream() {
    dropTls();
}

Stream::Stream(Stream&& other) noexcept
    : m_socket(std::move(other.m_socket)), m_ssl(std::exchange(other.m_ssl, nullptr)) {}

Stream& Stream::operator=(Stream&& other) noexcept {
    if (this != &other) {
        dropTls();
        m_socket = std::move(other.m_socket);
        m_ssl = std::exchange(other.m_ssl, nullptr);
    }
    return *this;
}

void Stream::dropTls() {
    // Freed without our close_notify OpenSSL would mark the session it used as not resumable, and
    // the next data connection would have to make a full handshake, which strict servers refuse.
    // A connection whose certificate did not pass must lose its session just so.
    if (m_ssl && tls::notes(m_ssl).passed)
        SSL_set_shutdown(m_ssl, SSL_get_shutdown(m_ssl) | SSL_SENT_SHUTDOWN);
    SSL_free(m_ssl);
    m_ssl = nullptr;
}

bool Stream::connect(const std::string& host, int port, int timeoutMs) {
    dropTls();
    return m_socket.connect(host, port, timeoutMs);
}

bool Stream::connect(const sockaddr_storage& address, socklen_t length, int timeoutMs) {
    dropTls();
    return m_socket.connect(address, length, timeoutMs);
}

bool Stream::beginTls(SSL* ssl) {
    dropTls();
    m_ssl = ssl;
    if (!m_ssl || !m_socket.isOpen())
        return false;
    ERR_clear_error();
    const int result = SSL_connect(m_ssl);
    const int error = SSL_get_error(m_ssl, result);
    return result == 1 || error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
}

bool Stream::finishTls(int timeoutMs) {
    return m_ssl && (SSL_is_init_finished(m_ssl) || tls::handshake(m_ssl, m_socket.fd(), timeoutMs));
}

Socket::Result Stream::receive(char* buffer, std::size_t size, std::size_t& received, int timeoutMs) {
    if (!m_ssl)
        return m_socket.receive(buffer, size, received, timeoutMs);
    switch (tls::read(m_ssl, m_socket.fd(), buffer, size, received, timeoutMs)) {
    case tls::ReadResult::Ok:
        return Socket::Result::Ok;
    case tls::ReadResult::Closed:
        // Answered in kind: strict servers count a transfer as failed until our close_notify comes.
        if (SSL_get_shutdown(m_ssl) & SSL_RECEIVED_SHUTDOWN)
            tls::sendClose(m_ssl, m_socket.fd(), timeoutMs);
        return Socket::Result::Closed;
    case tls::ReadResult::Failed:
        break;
    }
    return Socket::Result::Failed;
}

bool Stream::sendAll(const char* data, std::size_t size, int timeoutMs) {
    if (!m_ssl)
        return m_socket.sendAll(data, size, timeoutMs);
    return m_socket.isOpen() && tls::writeAll(m_ssl, m_socket.fd(), data, size, timeoutMs);
}

bool Stream::closeNotifyReceived() const {
    return m_ssl && tls::notes(m_ssl).closeNotifyReceived;
}

bool Stream::endUpload(const Deadline& deadline) {
    if (!m_ssl) {
        if (!m_socket.isOpen())
            return false;
        ::shutdown(m_socket.fd(), SHUT_WR);
        char discard[512];
        std::size_t received = 0;
        Socket::Result result = Socket::Result::Ok;
        while (!deadline.passed() &&
               (result = m_socket.receive(discard, sizeof discard, received, deadline.remainingMs())) ==
                   Socket::Result::Ok) {
        }
        // A server that keeps the connection open past the time-out leaves the verdict to its reply.
        return result != Socket::Result::Failed || (errno != ECONNRESET && errno != EPIPE);
    }
    if (!m_socket.isOpen() || !tls::sendClose(m_ssl, m_socket.fd(), deadline.remainingMs()))
        return false;
    // Servers that wait for the end of the stream rather than for close_notify see it too.
    ::shutdown(m_socket.fd(), SHUT_WR);
    tls::awaitPeerClose(m_ssl, m_socket.fd(), deadline.remainingMs());
    return true;
}

void Stream::reset() {
    dropTls();
    m_socket.reset();
}

void Stream::close() {
    dropTls();
    m_socket.close();
}

bool Stream::peerEnded(const char* prefix) const {
    if (!m_ssl || !m_socket.isOpen())
        return m_socket.peerEnded(prefix);
    return tls::peerEnded(m_ssl, m_socket.fd(), prefix);
}

} // namespace tovo::ftp

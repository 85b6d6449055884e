#pragma once
// A connection's byte stream: the plain socket, or TLS over it once started. Both wait with the
// same time-outs, so the control and data connections need not know which they use.

#include "session/ftp/Deadline.h"
#include "session/ftp/Socket.h"

#include <openssl/types.h>

#include <cstddef>
#include <string>

namespace tovo::ftp {

class Stream {
public:
    Stream() = default;
    ~Stream();
    Stream(Stream&& other) noexcept;
    Stream& operator=(Stream&& other) noexcept;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool connect(const std::string& host, int port, int timeoutMs);
    bool connect(const sockaddr_storage& address, socklen_t length, int timeoutMs);

    // Takes ssl (made for this socket) and sends the client's hello without waiting for the answer;
    // finishTls() completes the handshake.
    bool beginTls(SSL* ssl);
    bool finishTls(int timeoutMs);
    bool isTls() const { return m_ssl != nullptr; }
    // Over TLS: the peer ended the stream with close_notify, not with a bare TCP close that anyone
    // on the path could have forged.
    bool closeNotifyReceived() const;
    SSL* tls() const { return m_ssl; }

    Socket::Result receive(char* buffer, std::size_t size, std::size_t& received, int timeoutMs);
    bool sendAll(const char* data, std::size_t size, int timeoutMs);
    // Ends an upload's stream in order and waits for the server's end: over TLS our close_notify
    // first (its unread records would otherwise make our close a reset, which can cost the server
    // data it has not yet read). False when the server reset the connection instead: it did not
    // take the whole file, whatever its final reply will say.
    bool endUpload(const Deadline& deadline);
    void reset();
    void close();

    bool isOpen() const { return m_socket.isOpen(); }
    int fd() const { return m_socket.fd(); }
    bool peerEnded(const char* prefix) const;
    const sockaddr_storage& peer() const { return m_socket.peer(); }
    socklen_t peerLength() const { return m_socket.peerLength(); }

private:
    void dropTls();

    Socket m_socket;
    SSL* m_ssl = nullptr;
};

} // namespace tovo::ftp

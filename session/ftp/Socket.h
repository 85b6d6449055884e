#pragma once
// A TCP stream socket whose every wait (connect, receive, send) is bounded by a time-out, so a
// silent or vanished peer makes the call fail instead of hanging.

#include "session/ftp/HostResolver.h"

#include <cstddef>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace tovo::ftp {

class Socket {
public:
    enum class Result { Ok, Closed, Failed }; // Closed: the peer ended the stream

    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A host with several addresses whose first does not answer (a broken IPv6 route) still gets
    // through: the next address is tried when one fails or has not answered within this delay.
    static constexpr int kNextAttemptDelayMs = 250;

    // Resolves host (name or address, IPv4 or IPv6, "[::1]" too) and connects to the first address
    // that answers; resolving and every address tried share the one time-out.
    bool connect(const std::string& host, int port, int timeoutMs);
    // Tries the addresses in their order, staggered by kNextAttemptDelayMs, until one answers or the
    // deadline passes.
    bool connect(const std::vector<ResolvedAddress>& addresses, const Deadline& deadline);
    // Connects to a known address (the peer of a control connection with another port).
    bool connect(const sockaddr_storage& address, socklen_t length, int timeoutMs);
    // The attempts of connect(addresses, deadline): the connected non-blocking descriptor, which
    // address it reached, or -1 with error set (an errno value).
    static int connectFirst(const std::vector<ResolvedAddress>& addresses, const Deadline& deadline,
                            int& error, std::size_t& reached);

    // Receives at most size bytes; received is 0 unless the result is Ok.
    Result receive(char* buffer, std::size_t size, std::size_t& received, int timeoutMs);
    bool sendAll(const char* data, std::size_t size, int timeoutMs);
    // Ends the connection with a reset, so a server sending to us stops at once.
    void reset();
    void close();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // Looks without waiting at what an idle connection has received: true when the peer closed it
    // or sent something starting with prefix (a server says "421" before it hangs up).
    bool peerEnded(const char* prefix) const;
    const sockaddr_storage& peer() const { return m_peer; }
    socklen_t peerLength() const { return m_peerLength; }

private:
    int m_fd = -1;
    sockaddr_storage m_peer{};
    socklen_t m_peerLength = 0;
};

} // namespace tovo::ftp

#include "session/ftp/Socket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace tovo::ftp {

namespace {

// poll() with the time-out restarted on EINTR; true when the wanted event (or an error) is ready.
bool waitFor(int fd, short events, int timeoutMs) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

Socket::~Socket() {
    close();
}

Socket::Socket(Socket&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_peer(other.m_peer), m_peerLength(other.m_peerLength) {}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_peer = other.m_peer;
        m_peerLength = other.m_peerLength;
    }
    return *this;
}

bool Socket::connect(const std::string& host, int port, int timeoutMs) {
    if (host.empty() || port <= 0 || port > 65535)
        return false;
    const Deadline deadline(timeoutMs);
    return connect(HostResolver::resolve(host, port, deadline), deadline);
}

bool Socket::connect(const std::vector<ResolvedAddress>& addresses, const Deadline& deadline) {
    for (const ResolvedAddress& entry : addresses) {
        if (deadline.passed())
            break;
        if (connect(entry.address, entry.length, deadline.remainingMs()))
            return true;
    }
    return false;
}

bool Socket::connect(const sockaddr_storage& address, socklen_t length, int timeoutMs) {
    return connectAddress(reinterpret_cast<const sockaddr*>(&address), length, timeoutMs);
}

bool Socket::connectAddress(const sockaddr* address, socklen_t length, int timeoutMs) {
    close();
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, address, length) != 0) {
        int error = errno;
        if (error == EINPROGRESS) {
            socklen_t size = sizeof error;
            if (!waitFor(fd, POLLOUT, timeoutMs) ||
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                error = ETIMEDOUT;
        }
        if (error != 0 && error != EINPROGRESS) {
            ::close(fd);
            return false;
        }
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_fd = fd;
    std::memset(&m_peer, 0, sizeof m_peer);
    std::memcpy(&m_peer, address, length);
    m_peerLength = length;
    return true;
}

Socket::Result Socket::receive(char* buffer, std::size_t size, std::size_t& received, int timeoutMs) {
    received = 0;
    if (m_fd < 0)
        return Result::Failed;
    for (;;) {
        const ssize_t got = ::recv(m_fd, buffer, size, 0);
        if (got > 0) {
            received = static_cast<std::size_t>(got);
            return Result::Ok;
        }
        if (got == 0)
            return Result::Closed;
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(m_fd, POLLIN, timeoutMs))
            return Result::Failed;
    }
}

bool Socket::sendAll(const char* data, std::size_t size, int timeoutMs) {
    if (m_fd < 0)
        return false;
    while (size > 0) {
        const ssize_t sent = ::send(m_fd, data, size, MSG_NOSIGNAL);
        if (sent >= 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(m_fd, POLLOUT, timeoutMs))
            return false;
    }
    return true;
}

bool Socket::peerEnded(const char* prefix) const {
    if (m_fd < 0)
        return true;
    if (!waitFor(m_fd, POLLIN, 0))
        return false;
    char peek[8] = {};
    const ssize_t got = ::recv(m_fd, peek, sizeof peek - 1, MSG_PEEK);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        return true;
    return got > 0 && std::strncmp(peek, prefix, std::strlen(prefix)) == 0;
}

void Socket::reset() {
    if (m_fd < 0)
        return;
    const linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close();
}

void Socket::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace tovo::ftp

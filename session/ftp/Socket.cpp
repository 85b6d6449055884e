#include "session/ftp/Socket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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
    close();
    int error = 0;
    std::size_t reached = 0;
    const int fd = connectFirst(addresses, deadline, error, reached);
    if (fd < 0)
        return false;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_fd = fd;
    m_peer = addresses[reached].address;
    m_peerLength = addresses[reached].length;
    return true;
}

bool Socket::connect(const sockaddr_storage& address, socklen_t length, int timeoutMs) {
    return connect({ResolvedAddress{address, length}}, Deadline(timeoutMs));
}

int Socket::connectFirst(const std::vector<ResolvedAddress>& addresses, const Deadline& deadline, int& error,
                         std::size_t& reached) {
    using Clock = std::chrono::steady_clock;
    struct Attempt {
        int fd;
        std::size_t index;
    };
    std::vector<Attempt> running;
    const auto giveUp = [&running](int fd) {
        for (const Attempt& attempt : running)
            if (attempt.fd != fd)
                ::close(attempt.fd);
        return fd;
    };
    error = EHOSTUNREACH;
    std::size_t next = 0;
    Clock::time_point nextStart = Clock::now();
    for (;;) {
        if (deadline.passed()) {
            error = ETIMEDOUT;
            return giveUp(-1);
        }
        if (next < addresses.size() && Clock::now() >= nextStart) {
            const ResolvedAddress& address = addresses[next];
            const auto* target = reinterpret_cast<const sockaddr*>(&address.address);
            const int fd = ::socket(target->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            const int result = fd < 0 ? -1 : ::connect(fd, target, address.length);
            if (result == 0) {
                reached = next;
                return giveUp(fd);
            }
            if (fd >= 0 && errno == EINPROGRESS) {
                running.push_back({fd, next});
                nextStart = Clock::now() + std::chrono::milliseconds(kNextAttemptDelayMs);
            } else { // refused at once: the next address starts without waiting
                error = errno;
                if (fd >= 0)
                    ::close(fd);
            }
            ++next;
            continue;
        }
        if (running.empty() && next >= addresses.size())
            return -1;
        int waitMs = deadline.remainingMs();
        if (next < addresses.size()) {
            const auto untilNext =
                std::chrono::ceil<std::chrono::milliseconds>(nextStart - Clock::now()).count();
            waitMs = std::min(waitMs, static_cast<int>(std::max<decltype(untilNext)>(untilNext, 0)));
        }
        std::vector<pollfd> entries;
        for (const Attempt& attempt : running)
            entries.push_back({attempt.fd, POLLOUT, 0});
        if (::poll(entries.data(), entries.size(), waitMs) <= 0)
            continue;
        for (std::size_t i = entries.size(); i-- > 0;) {
            if (entries[i].revents == 0)
                continue;
            int outcome = 0;
            socklen_t size = sizeof outcome;
            if (::getsockopt(entries[i].fd, SOL_SOCKET, SO_ERROR, &outcome, &size) != 0)
                outcome = errno;
            if (outcome == 0) {
                reached = running[i].index;
                return giveUp(running[i].fd);
            }
            if (outcome == EINPROGRESS || outcome == EALREADY)
                continue;
            error = outcome;
            ::close(running[i].fd);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            nextStart = Clock::now(); // a failed attempt hands over at once
        }
    }
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

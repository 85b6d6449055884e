#include "commandline/CommandSocket.h"

#include "session/ftp/TlsIo.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A line longer than this is handed out in pieces, so a server that never sends a line end
// cannot make us buffer without bound.
constexpr std::size_t kMaxLineLength = 64 * 1024;

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// 1 when ready, 0 on time-out, -1 on error.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready;
    }
}

int ConnectTo(const addrinfo& address, Clock::time_point deadline, int* fdOut) {
    const int fd =
        ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (fd < 0)
        return errno;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            const int error = errno;
            ::close(fd);
            return error;
        }
        const int ready = WaitFor(fd, POLLOUT, deadline);
        int error = ready == 0 ? ETIMEDOUT : ready < 0 ? errno : 0;
        if (error == 0) {
            socklen_t length = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
        if (error != 0) {
            ::close(fd);
            return error;
        }
    }
    *fdOut = fd;
    return 0;
}

} // namespace

CommandSocket::~CommandSocket() {
    Release(StateClosed);
}

void CommandSocket::Release(int newState) {
    SSL_free(m_ssl);
    m_ssl = nullptr;
    m_tls.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_state = newState;
    m_pending.clear();
    m_peerClosed = false;
}

int CommandSocket::Connect() {
    Release(StateClosed);
    if (m_host.empty() || m_port < 1 || m_port > 65535)
        return EINVAL;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const std::string port = std::to_string(m_port);
    const int lookup = ::getaddrinfo(m_host.c_str(), port.c_str(), &hints, &addresses);
    if (lookup != 0)
        return lookup == EAI_SYSTEM && errno != 0 ? errno : EHOSTUNREACH;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
    int error = EHOSTUNREACH;
    for (const addrinfo* address = addresses; address; address = address->ai_next) {
        int fd = -1;
        error = ConnectTo(*address, deadline, &fd);
        if (error == 0) {
            m_fd = fd;
            m_state = StateConnected;
            break;
        }
        if (error == ETIMEDOUT)
            break;
    }
    ::freeaddrinfo(addresses);
    return error;
}

bool CommandSocket::StartTls(tovo::ftp::TlsContext::Verifier verifier) {
    // A line already received would pass for protected text.
    if (!IsConnected() || m_ssl || !m_pending.empty()) {
        Release(StateClosed);
        return false;
    }
    m_tls = std::make_unique<tovo::ftp::TlsContext>(m_host, std::move(verifier));
    m_ssl = m_tls->newConnection(m_fd);
    if (!m_ssl || !tovo::ftp::tls::handshake(m_ssl, m_fd, m_timeoutMs) || !m_tls->acceptControlPeer(m_ssl)) {
        Release(StateClosed);
        return false;
    }
    return true;
}

std::string CommandSocket::ReceiveLine(bool& ok) {
    ok = false;
    std::string line;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
    std::string buffer(m_bufferLength > 0 ? m_bufferLength : 1024, '\0');
    for (;;) {
        const std::size_t end = m_pending.find('\n');
        const bool lastLine = (m_peerClosed || m_fd < 0) && !m_pending.empty();
        if (end != std::string::npos || m_pending.size() >= kMaxLineLength || lastLine) {
            const std::size_t take =
                end != std::string::npos ? end : std::min(m_pending.size(), kMaxLineLength);
            line = m_pending.substr(0, take);
            m_pending.erase(0, end != std::string::npos ? end + 1 : take);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            ok = true;
            return line;
        }
        if (m_peerClosed || m_fd < 0)
            return line;
        if (m_ssl) {
            std::size_t received = 0;
            const auto result = tovo::ftp::tls::read(m_ssl, m_fd, buffer.data(), buffer.size(), received,
                                                     RemainingMs(deadline));
            if (result == tovo::ftp::tls::ReadResult::Failed)
                return line;
            if (result == tovo::ftp::tls::ReadResult::Closed) {
                m_peerClosed = true;
                m_state = StateClosing;
            }
            m_pending.append(buffer.data(), received);
            continue;
        }
        if (WaitFor(m_fd, POLLIN, deadline) <= 0)
            return line;
        const ssize_t n = ::recv(m_fd, buffer.data(), buffer.size(), 0);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            m_peerClosed = true;
            m_state = StateClosing;
        } else if (n == 0) {
            m_peerClosed = true;
            m_state = StateClosing;
        } else {
            m_pending.append(buffer.data(), static_cast<std::size_t>(n));
        }
    }
}

int CommandSocket::Send(const std::string& data) {
    if (m_fd < 0 || m_peerClosed)
        return -1;
    if (m_ssl)
        return tovo::ftp::tls::writeAll(m_ssl, m_fd, data.data(), data.size(), m_timeoutMs)
                   ? static_cast<int>(data.size())
                   : -1;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(m_fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || WaitFor(m_fd, POLLOUT, deadline) <= 0)
            return -1;
    }
    return static_cast<int>(sent);
}

void CommandSocket::Action(int command) {
    if (command != CloseCommand)
        return;
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
    Release(m_fd >= 0 || m_state != StateClosed ? StateClosing : StateClosed);
}

void CommandSocket::Disconnect() {
    Release(StateClosed);
}

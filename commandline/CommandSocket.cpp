#include "commandline/CommandSocket.h"

#include "session/ftp/HostResolver.h"
#include "session/ftp/TlsIo.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A line longer than this is handed out in pieces, so a server that never sends a line end
// cannot make us buffer without bound.
constexpr std::size_t kMaxLineLength = 64 * 1024;

using tovo::ftp::Deadline;

// 1 when ready, 0 on time-out, -1 on error.
int WaitFor(int fd, short events, const Deadline& deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, deadline.remainingMs());
        if (ready < 0 && errno == EINTR)
            continue;
        return ready;
    }
}

int ConnectTo(const tovo::ftp::ResolvedAddress& address, const Deadline& deadline, int* fdOut) {
    const sockaddr* target = reinterpret_cast<const sockaddr*>(&address.address);
    const int fd = ::socket(target->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return errno;
    if (::connect(fd, target, address.length) != 0) {
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
    // Resolving the name and trying every address share the one time-out.
    const Deadline deadline(m_timeoutMs);
    const auto addresses = tovo::ftp::HostResolver::resolve(m_host, m_port, deadline);
    int error = addresses.empty() && deadline.passed() ? ETIMEDOUT : EHOSTUNREACH;
    for (const tovo::ftp::ResolvedAddress& address : addresses) {
        int fd = -1;
        error = ConnectTo(address, deadline, &fd);
        if (error == 0) {
            m_fd = fd;
            m_state = StateConnected;
            break;
        }
        if (error == ETIMEDOUT || deadline.passed())
            break;
    }
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

std::string CommandSocket::ReceiveLine(bool& ok, const Deadline& deadline) {
    ok = false;
    std::string line;
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
        // Checked before waiting too: a server that keeps sending never makes the wait time out.
        if (deadline.passed())
            return line;
        if (m_ssl) {
            std::size_t received = 0;
            const auto result = tovo::ftp::tls::read(m_ssl, m_fd, buffer.data(), buffer.size(), received,
                                                     deadline.remainingMs());
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
    const Deadline deadline(m_timeoutMs);
    if (m_ssl)
        return tovo::ftp::tls::writeAll(m_ssl, m_fd, data.data(), data.size(), deadline.remainingMs())
                   ? static_cast<int>(data.size())
                   : -1;
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

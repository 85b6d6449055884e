#include "commandline/CommandSocket.h"

#include "session/ftp/ControlConnection.h"
#include "session/ftp/HostResolver.h"
#include "session/ftp/Socket.h"
#include "session/ftp/TlsIo.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

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
    m_tailLength = 0;
    m_peerClosed = false;
}

int CommandSocket::Connect() {
    Release(StateClosed);
    if (m_host.empty() || m_port < 1 || m_port > 65535)
        return EINVAL;
    // Resolving the name and trying every address share the one time-out.
    const Deadline deadline(m_timeoutMs);
    const auto addresses = tovo::ftp::HostResolver::resolve(m_host, m_port, deadline);
    if (addresses.empty())
        return deadline.passed() ? ETIMEDOUT : EHOSTUNREACH;
    int error = 0;
    std::size_t reached = 0;
    m_fd = tovo::ftp::Socket::connectFirst(addresses, deadline, error, reached);
    if (m_fd < 0)
        return error;
    m_state = StateConnected;
    return 0;
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
    for (bool firstRead = true;; firstRead = false) {
        const std::size_t end = m_pending.find('\n');
        if (end != std::string::npos || ((m_peerClosed || m_fd < 0) && !m_pending.empty())) {
            line = m_pending.substr(0, end);
            m_pending.erase(0, end != std::string::npos ? end + 1 : std::string::npos);
            if (end == std::string::npos)
                m_tailLength = 0;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            ok = true;
            return line;
        }
        if (m_peerClosed || m_fd < 0)
            return line;
        // Checked before waiting too, so a server that keeps sending never makes the wait time out;
        // but one read is always made, so a spent deadline still collects what has arrived.
        if (!firstRead && deadline.passed())
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
            Keep(buffer.data(), received);
            continue;
        }
        const ssize_t n = ::recv(m_fd, buffer.data(), buffer.size(), 0);
        if (n > 0) {
            Keep(buffer.data(), static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            m_peerClosed = true;
            m_state = StateClosing;
        } else if (errno != EINTR && WaitFor(m_fd, POLLIN, deadline) <= 0) {
            return line;
        }
    }
}

void CommandSocket::Keep(const char* data, std::size_t size) {
    // A line is cut where the FTP layer cuts it and the rest of it dropped up to its line end: nothing
    // the server sends makes us buffer without bound, and a cut line never passes for two lines.
    constexpr std::size_t maxLine = tovo::ftp::ControlConnection::kMaxLine;
    while (size > 0) {
        const void* found = std::memchr(data, '\n', size);
        const std::size_t length =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : size;
        const std::size_t room = m_tailLength < maxLine ? maxLine - m_tailLength : 0;
        m_pending.append(data, std::min(length, room));
        m_tailLength += std::min(length, room);
        if (!found)
            return;
        m_pending.push_back('\n');
        m_tailLength = 0;
        data += length + 1;
        size -= length + 1;
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

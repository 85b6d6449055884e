#include "session/ftp/ControlConnection.h"

#include "session/ftp/TlsContext.h"

#include <cstring>
#include <vector>

namespace tovo::ftp {

namespace {
// A connection closed while the program exits may still read a reply after this thread's copy is
// gone; the flag, which needs no destructor, tells it so.
thread_local bool t_lastReplyGone = false;
struct LastReply {
    std::string text;
    ~LastReply() { t_lastReplyGone = true; }
};
thread_local LastReply t_lastReply;

void setLastReply(const std::vector<std::string>& lines) {
    if (t_lastReplyGone)
        return;
    t_lastReply.text.clear();
    for (const std::string& line : lines)
        t_lastReply.text.append(t_lastReply.text.empty() ? "" : "\n").append(line);
}
} // namespace

const std::string& ControlConnection::lastReplyText() {
    static const std::string none;
    return t_lastReplyGone ? none : t_lastReply.text;
}

bool ControlConnection::open(const std::string& host, int port, int timeoutMs) {
    m_buffer.clear();
    m_bufferStart = 0;
    m_broken = false;
    return m_socket.connect(host, port, timeoutMs);
}

bool ControlConnection::send(const std::string& command, int timeoutMs) {
    if (!usable() || command.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    const std::string line = command + "\r\n";
    if (!m_socket.sendAll(line.data(), line.size(), timeoutMs)) {
        m_broken = true;
        return false;
    }
    return true;
}

bool ControlConnection::readLine(std::string& line, const Deadline& deadline) {
    line.clear();
    bool skipping = false; // past kMaxLine: drop the rest of this line
    for (;;) {
        const char* begin = m_buffer.data() + m_bufferStart;
        const std::size_t available = m_buffer.size() - m_bufferStart;
        const void* found = std::memchr(begin, '\n', available);
        const std::size_t take =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - begin) : available;
        if (!skipping) {
            const std::size_t room = kMaxLine - line.size();
            line.append(begin, take < room ? take : room);
            skipping = line.size() >= kMaxLine;
        }
        if (found) {
            m_bufferStart += take + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        m_buffer.clear();
        m_bufferStart = 0;
        char chunk[4096];
        std::size_t received = 0;
        // Checked here too: a server that never stops sending never makes receive wait.
        if (deadline.passed() ||
            m_socket.receive(chunk, sizeof chunk, received, deadline.remainingMs()) != Socket::Result::Ok) {
            m_broken = true;
            return false;
        }
        m_buffer.assign(chunk, received);
    }
}

FtpReply ControlConnection::readReply(int timeoutMs) {
    return readReply(Deadline(timeoutMs));
}

FtpReply ControlConnection::readReply(const Deadline& deadline) {
    setLastReply({});
    FtpReply reply;
    if (!usable())
        return reply;
    std::string line;
    do {
        if (!readLine(line, deadline))
            return reply;
    } while (line.empty()); // some servers end a reply with one line end too many
    const int code = FtpReply::codeOf(line);
    reply.lines.push_back(line);
    if (code == 0) {
        m_broken = true;
        return reply;
    }
    if (FtpReply::opensMultiLine(line)) {
        // Multi-line: runs until a line with the same code and a blank (or nothing) after it.
        for (;;) {
            if (!readLine(line, deadline))
                return FtpReply{};
            if (reply.lines.size() < kMaxReplyLines)
                reply.lines.push_back(line);
            if (FtpReply::endsReply(line, code))
                break;
        }
    }
    reply.code = code;
    if (reply.closing())
        m_broken = true;
    setLastReply(reply.lines);
    return reply;
}

bool ControlConnection::startTls(TlsContext& tls, int timeoutMs) {
    // Whatever came after the server's 234 would pass for protected text later.
    if (!usable() || m_bufferStart < m_buffer.size()) {
        m_broken = true;
        return false;
    }
    if (!m_socket.beginTls(tls.newConnection(m_socket.fd(), false)) || !m_socket.finishTls(timeoutMs) ||
        !tls.acceptControlPeer(m_socket.tls())) {
        m_socket.reset();
        m_broken = true;
        return false;
    }
    return true;
}

FtpReply ControlConnection::command(const std::string& command, int timeoutMs) {
    if (!send(command, timeoutMs))
        return FtpReply{};
    return readReply(timeoutMs);
}

} // namespace tovo::ftp

#pragma once
// The FTP control connection: sends one command line and reads the (possibly multi-line) reply,
// capping overlong lines so nothing the server sends can exhaust memory.

#include "session/ftp/Deadline.h"
#include "session/ftp/FtpReply.h"
#include "session/ftp/Stream.h"

#include <cstddef>
#include <string>

namespace tovo::ftp {

class TlsContext;

class ControlConnection {
public:
    static constexpr std::size_t kMaxLine = 8192;       // longer reply lines are cut here
    static constexpr std::size_t kMaxReplyLines = 4096; // a FEAT or HELP never needs more

    bool open(const std::string& host, int port, int timeoutMs);
    // Sends "command CRLF". Refuses (false) a command holding CR, LF or NUL, which would smuggle a
    // second command onto the connection.
    bool send(const std::string& command, int timeoutMs);
    // Reads one complete reply within timeoutMs in total, however many lines it has; empty lines
    // before it are skipped. Code 0 when the connection broke, the time ran out or a line came
    // without a reply code: the connection is then unusable, since replies could be out of step.
    FtpReply readReply(int timeoutMs);
    FtpReply readReply(const Deadline& deadline);
    FtpReply command(const std::string& command, int timeoutMs);
    // The text of the last reply this thread read on any control connection ("" after a call that
    // got none), so a caller can show the server's own words for a refusal.
    static const std::string& lastReplyText();
    // After the server accepted AUTH TLS: the handshake and the certificate check. On failure the
    // connection is unusable; it never goes on in plain text.
    bool startTls(TlsContext& tls, int timeoutMs);
    bool isTls() const { return m_socket.isTls(); }

    // False once the server closed the connection, a wait timed out or 421 arrived.
    bool usable() const { return m_socket.isOpen() && !m_broken; }
    void markBroken() { m_broken = true; }
    // Between commands: the server has said something unasked (as "421" before hanging up) or
    // closed the connection.
    bool idleEnded() const { return m_bufferStart < m_buffer.size() || m_socket.peerEnded("421"); }
    void close() { m_socket.close(); }
    const Stream& socket() const { return m_socket; }

private:
    bool readLine(std::string& line, const Deadline& deadline);

    Stream m_socket;
    std::string m_buffer; // received, not yet consumed
    std::size_t m_bufferStart = 0;
    bool m_broken = false;
};

} // namespace tovo::ftp

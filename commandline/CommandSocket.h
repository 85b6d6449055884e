#pragma once
// The command line's blocking TCP stream socket: configure, connect, receive a line, send, close.
// Every wait is bounded by the configured time-out, so a silent server cannot hold the program.

#include "session/ftp/Deadline.h"
#include "session/ftp/TlsContext.h"

#include <cstddef>
#include <memory>
#include <string>

class CommandSocket {
public:
    // The values State() reports; 0 and 7 both mean that no connection is open.
    static constexpr int StateClosed = 0;
    static constexpr int StateConnected = 6;
    static constexpr int StateClosing = 7;
    // The command that Action() takes to close the connection.
    static constexpr int CloseCommand = 7;

    CommandSocket() = default;
    ~CommandSocket();
    CommandSocket(const CommandSocket&) = delete;
    CommandSocket& operator=(const CommandSocket&) = delete;

    // Settings take effect for the next Connect().
    void SetHostName(const std::string& host) { m_host = host; }
    void SetRemotePort(int port) { m_port = port; }
    // Bounds the connect (name resolution included), each send and each reply as a whole.
    void SetTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }
    int TimeoutMs() const { return m_timeoutMs; }
    void SetBufferLength(std::size_t bytes) { m_bufferLength = bytes; } // read from the network at a time
    const std::string& HostName() const { return m_host; }
    int RemotePort() const { return m_port; }

    // 0 when connected, otherwise a non-zero error number.
    int Connect();
    // After the server accepted AUTH TLS: everything from here on goes over TLS. The certificate
    // goes to verifier when the system does not accept it. False (connection dropped) on failure.
    bool StartTls(tovo::ftp::TlsContext::Verifier verifier);
    bool IsTls() const { return m_ssl != nullptr; }
    // One line without its line end, cut after the FTP layer's longest line; ok is false when the
    // peer closed the connection, on error or on time-out. A last line without line end before the
    // close is still delivered.
    std::string ReceiveLine(bool& ok) { return ReceiveLine(ok, tovo::ftp::Deadline(m_timeoutMs)); }
    // The same, waiting no longer than deadline (shared by the lines of one reply); a deadline that
    // has passed still takes what has already arrived.
    std::string ReceiveLine(bool& ok, const tovo::ftp::Deadline& deadline);
    // Bytes sent, or -1 on failure.
    int Send(const std::string& data);
    bool IsConnected() const { return m_fd >= 0 && m_state == StateConnected; }
    // True once a read found that the server closed the connection.
    bool PeerClosed() const { return m_peerClosed; }
    // The open connection's descriptor, to watch for what arrives between commands; -1 when closed.
    int Descriptor() const { return m_fd; }
    // A command was sent and its reply is not yet read in full: nothing else may be sent meanwhile.
    void SetAwaitingReply(bool awaiting) { m_awaitingReply = awaiting; }
    bool AwaitingReply() const { return m_awaitingReply; }
    // CloseCommand ends the connection in order; other commands are not used and do nothing.
    void Action(int command);
    // Drops the connection at once.
    void Disconnect();
    int State() const { return m_state; }

private:
    void Release(int newState);
    void Keep(const char* data, std::size_t size);

    std::string m_host;
    int m_port = 21;
    int m_timeoutMs = 30000;
    std::size_t m_bufferLength = 1024;
    int m_fd = -1;
    int m_state = StateClosed;
    std::string m_pending;        // received bytes not yet handed out as a line
    std::size_t m_tailLength = 0; // bytes of its last line so far, which has no line end yet
    bool m_peerClosed = false;
    bool m_awaitingReply = false;
    std::unique_ptr<tovo::ftp::TlsContext> m_tls;
    SSL* m_ssl = nullptr;
};

#pragma once
// The command line's blocking TCP stream socket: configure, connect, receive a line, send, close.
// Every wait is bounded by the configured time-out, so a silent server cannot hold the program.

#include <cstddef>
#include <string>

class CommandSocket {
public:
    // The values the socket reports from State(); 0 and 7 mean no connection is open.
    static constexpr int StateNone = 0;
    static constexpr int StateConnected = 5;
    static constexpr int StateClosed = 7;
    // The close command value callers pass to Close().
    static constexpr int CloseCommand = 7;

    struct Settings {
        std::string remoteHost;
        int remotePort = 21;
        std::size_t bufferLength = 1024; // bytes read from the network at a time
        int timeoutMs = 30000;           // for connect, each receive and each send
    };

    CommandSocket() = default;
    ~CommandSocket();
    CommandSocket(const CommandSocket&) = delete;
    CommandSocket& operator=(const CommandSocket&) = delete;

    // Takes effect for the next Connect().
    void Configure(const Settings& settings);
    const Settings& CurrentSettings() const { return m_settings; }

    // 0 when connected, otherwise a non-zero error number (an errno value or EAI code).
    int Connect();
    // One line without its line end. False when the peer closed the connection, on error or on
    // time-out; a last line without line end before the close is still delivered.
    bool ReceiveLine(std::string& line);
    // Bytes sent, or -1 on failure.
    int Send(const std::string& data);
    bool IsConnected() const { return m_fd >= 0 && m_state == StateConnected; }
    // The close command: ends the connection in order (our side shuts down first).
    void Close(int command = CloseCommand);
    // Drops the connection at once.
    void Disconnect();
    int State() const { return m_state; }

private:
    void Release(int newState);

    Settings m_settings;
    int m_fd = -1;
    int m_state = StateNone;
    std::string m_pending; // received bytes not yet handed out as a line
    bool m_peerClosed = false;
};

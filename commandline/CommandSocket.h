#pragma once
// A blocking TCP stream socket for the command line: settings, connect, receive a line, send,
// close and disconnect, with a time-out on every wait.

#include <string>

class CommandSocket {
public:
    // Socket states: no connection open.
    static constexpr int StateClosed = 0;
    static constexpr int StateClosing = 7;
    static constexpr int StateConnected = 6;
    static constexpr int CloseCommand = 7;

    CommandSocket() = default;
    ~CommandSocket();
    CommandSocket(const CommandSocket&) = delete;
    CommandSocket& operator=(const CommandSocket&) = delete;

    void SetHostName(const std::string& host) { m_host = host; }
    void SetRemotePort(int port) { m_port = port; }
    void SetTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }

    // 0 on success, another number on failure.
    int Connect();
    // One line without its line end; ok is false when the connection closed or the wait timed out.
    std::string ReceiveLine(bool& ok);
    // -1 on failure.
    int Send(const std::string& data);
    bool IsConnected() const;
    void Action(int command); // CloseCommand closes the connection
    void Disconnect();
    int State() const;

private:
    std::string m_host;
    int m_port = 21;
    int m_timeoutMs = 30000;
    int m_fd = -1;
    std::string m_pending;
};

#pragma once
// A scripted FTP server on loopback for replies no real server gives on demand: one action per verb, a
// record of every command received. One control connection at a time, on its own thread.

#include "tests/support/TlsServerContext.h"

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the server does on one command. Reply texts are lines separated by '\n', each sent with CRLF;
// "{port}", "{p1}" and "{p2}" stand for the data listener's port and its high and low byte.
struct FtpAction {
    enum class Kind { Lines, Silent, Transfer, Stall } kind = Kind::Lines;
    std::string lines{};                        // sent first (the 150 of a transfer)
    bool closeAfter = false;                    // close the control connection after the lines (or data)
    int lineDelayMs = 0;                        // pause before every line after the first
    std::string data{};                         // bytes sent on RETR/LIST/MLSD/NLST
    std::size_t resetAfter = std::string::npos; // reset the data connection after this many bytes
    std::string finalReply = "226 Transfer complete";
    bool endless = false;    // data sent again and again until the client ends the data connection
    bool closeNotify = true; // over TLS: the data connection ends with close_notify, not a bare close
};

inline FtpAction Reply(std::string lines, int lineDelayMs = 0) {
    return {.lines = std::move(lines), .lineDelayMs = lineDelayMs};
}
// Sends these lines, then closes the control connection.
inline FtpAction CloseAfter(std::string partialLines = {}) {
    return {.lines = std::move(partialLines), .closeAfter = true};
}
// 150, the data (sent, or received for STOR/APPE) up to resetAfter bytes and then reset, the final reply.
inline FtpAction Transfer(std::string data = {}, std::string finalReply = "226 Transfer complete",
                          std::size_t resetAfter = std::string::npos) {
    return {.kind = FtpAction::Kind::Transfer,
            .lines = "150 Opening data connection",
            .data = std::move(data),
            .resetAfter = resetAfter,
            .finalReply = std::move(finalReply)};
}
// 150, then data sent over and over (on STOR too) until the client ends the data connection; no
// final reply.
inline FtpAction Endless(std::string data) {
    return {.kind = FtpAction::Kind::Transfer,
            .lines = "150 Opening data connection",
            .data = std::move(data),
            .endless = true};
}
// 150, the data connection opened, then nothing until the client closes it.
inline FtpAction Stall() {
    return {.kind = FtpAction::Kind::Stall, .lines = "150 Opening data connection"};
}
// The action a short text names, for test tables: "silent", "stall", "close", "close:LINES",
// "slow:LINES" (100 ms between lines); any other text is a reply.
FtpAction ActionFrom(const std::string& action);

class ScriptedFtpServer {
public:
    explicit ScriptedFtpServer(bool ipv6 = false) : m_ipv6(ipv6) {}
    ~ScriptedFtpServer();

    // Queues the action for the next command with that verb ("" for the greeting); the last repeats.
    // Unscripted verbs get a plain success (logins succeed, PASV/EPSV name the data listener).
    ScriptedFtpServer& on(const std::string& verb, FtpAction action);
    ScriptedFtpServer& on(const std::string& verb, const std::string& action) {
        return on(verb, ActionFrom(action));
    }
    // Explicit TLS: AUTH TLS gets 234 and a handshake showing control's certificate; every data
    // connection shows data's.
    ScriptedFtpServer& useTls(std::shared_ptr<TlsServerContext> control,
                              std::shared_ptr<TlsServerContext> data) {
        m_tlsControl = std::move(control);
        m_tlsData = std::move(data);
        return *this;
    }
    bool start(); // listens on 127.0.0.1:0 or [::1]:0
    int port() const { return m_port; }
    // Every command line received (without CRLF), the bytes of the last STOR/APPE, and the number of
    // control connections accepted so far.
    std::vector<std::string> commands() const {
        return locked([this] { return m_commands; });
    }
    std::string uploaded() const {
        return locked([this] { return m_uploaded; });
    }
    int connections() const {
        return locked([this] { return m_connections; });
    }

private:
    template <typename Step> auto locked(Step step) const -> decltype(step()) {
        std::lock_guard lock(m_mutex);
        return step();
    }
    struct Peer {
        int fd = -1;
        SSL* ssl = nullptr;
    };
    void run();
    FtpAction next(const std::string& verb);
    bool perform(Peer& control, const std::string& verb, const FtpAction& action); // false: hang up
    bool send(const Peer& peer, const std::string& lines, int lineDelayMs = 0);

    mutable std::mutex m_mutex;
    std::map<std::string, std::deque<FtpAction>> m_actions;
    std::vector<std::string> m_commands;
    std::string m_uploaded;
    int m_connections = 0;
    bool m_ipv6;
    int m_listener = -1, m_dataListener = -1, m_port = 0, m_dataPort = 0;
    std::shared_ptr<TlsServerContext> m_tlsControl, m_tlsData;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

#pragma once
// A scripted FTP server on loopback for replies no real server gives on demand: one action per command
// verb, and a record of every command received. One control connection at a time, on its own thread.

#include <atomic>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the server does on one command. Reply texts are lines separated by '\n', each sent with CRLF;
// "{port}", "{p1}" and "{p2}" stand for the data listener's port and its high and low byte.
struct FtpAction {
    enum class Kind { Lines, Silent, Transfer, Stall };
    Kind kind = Kind::Lines;
    std::string lines;                          // sent first (the 150 of a transfer)
    bool closeAfter = false;                    // close the control connection after the lines
    int lineDelayMs = 0;                        // pause before every line after the first
    std::string data;                           // bytes sent on RETR/LIST/MLSD/NLST
    std::size_t resetAfter = std::string::npos; // reset the data connection after this many bytes
    std::string finalReply = "226 Transfer complete";
};

FtpAction Reply(std::string lines);
FtpAction SlowReply(std::string lines, int delayMs);
FtpAction CloseAfter(std::string partialLines = {}); // sends these, then closes the control connection
FtpAction Silent();                                  // never answers
// 150, the data (sent, or received for STOR/APPE) up to resetAfter bytes and then reset, the final reply.
FtpAction Transfer(std::string data = {}, std::string finalReply = "226 Transfer complete",
                   std::size_t resetAfter = std::string::npos);
FtpAction Stall(); // 150, the data connection opened, then nothing until the client closes it
// The action a short text names, for test tables: "silent", "stall", "close", "close:LINES",
// "slow:LINES" (100 ms between lines); any other text is a reply.
FtpAction ActionFrom(const std::string& spec);

class ScriptedFtpServer {
public:
    explicit ScriptedFtpServer(bool ipv6 = false) : m_ipv6(ipv6) {}
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    // Queues the action for the next command with that verb ("" for the greeting); the last repeats.
    // Unscripted verbs get a plain success (logins succeed, PASV/EPSV name the data listener).
    ScriptedFtpServer& on(const std::string& verb, FtpAction action);
    ScriptedFtpServer& on(const std::string& verb, const std::string& spec) {
        return on(verb, ActionFrom(spec));
    }
    bool start(); // listens on 127.0.0.1:0 or [::1]:0
    int port() const { return m_port; }
    std::vector<std::string> commands() const; // every command line received, without CRLF
    std::string uploaded() const;              // bytes received on the last STOR/APPE
    int connections() const;                   // control connections accepted so far

private:
    void run();
    bool perform(int control, const std::string& verb, const FtpAction& action); // false: hang up
    FtpAction next(const std::string& verb);
    bool transfer(int control, const std::string& verb, const FtpAction& action);
    bool sendLines(int fd, const FtpAction& action, const std::string& lines);
    bool sendAll(int fd, const std::string& bytes);
    int acceptOrStop(int listener, int timeoutMs);
    bool waitReadable(int fd);

    mutable std::mutex m_mutex;
    std::map<std::string, std::deque<FtpAction>> m_actions;
    std::vector<std::string> m_commands;
    std::string m_uploaded;
    int m_connections = 0;
    bool m_ipv6;
    int m_listener = -1;
    int m_dataListener = -1;
    int m_port = 0;
    int m_dataPort = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

#pragma once
// A scripted FTP control-channel server on loopback for replies no real server gives on demand; it
// records every command it receives. One control connection at a time, served by its own thread.

#include <atomic>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class ScriptedFtpServer {
public:
    ScriptedFtpServer();
    ~ScriptedFtpServer(); // stops and joins the thread
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    // Reply texts: lines separated by '\n', each sent followed by CRLF. In any reply "{port}" stands
    // for the port of the current data listener and "{p1}" / "{p2}" for its high and low byte, so a
    // scripted PASV or EPSV answer can name the real listener (which PASV and EPSV always open).
    void setGreeting(const std::string& lines); // default "220 Scripted server ready"
    void closeOnConnect();                      // accept then close at once (no greeting)
    void silentOnConnect();                     // accept and never send anything
    // Queues the reply to the next command with that verb (case-insensitive); later calls queue
    // more; the last queued reply repeats. A reply starting with a 1xx code to a data command
    // (RETR, LIST, MLSD, NLST, STOR, APPE) is followed by the data transfer as for setData.
    void reply(const std::string& verb, const std::string& lines);
    void closeOn(const std::string& verb);                                        // close, nothing sent
    void closeMidReply(const std::string& verb, const std::string& partialLines); // send these, close
    void silentOn(const std::string& verb);                                       // never answer
    // For RETR/LIST/MLSD/NLST: 150, the data (only its first dropAfter bytes, then the data
    // connection is reset), the data connection closed, then the final reply. For STOR/APPE only
    // the final reply is taken from here.
    void setData(const std::string& verb, std::string bytes, std::size_t dropAfter = std::string::npos,
                 std::string finalReply = "226 Transfer complete");
    void setIPv6(bool on); // listen on ::1 instead of 127.0.0.1 (before start())

    bool start(); // listens on 127.0.0.1:0 (or [::1]:0)
    int port() const;
    std::vector<std::string> commands() const; // every command line received, without CRLF, in order
    std::string uploaded() const;              // bytes received on the last STOR data connection
    int connections() const;                   // control connections accepted so far

private:
    struct DataScript {
        std::string bytes;
        std::size_t dropAfter = std::string::npos;
        std::string finalReply;
    };
    enum class ConnectMode { Normal, Close, Silent };

    void run();
    void serve(int control);
    bool handleCommand(int control, const std::string& line); // false: close the control connection
    bool transfer(int control, const std::string& verb, const std::string& firstReply);
    bool sendLines(int fd, const std::string& lines);
    bool sendAll(int fd, const char* data, std::size_t size);
    bool openDataListener();
    int acceptWithStop(int listener, int timeoutMs);
    std::string substitute(const std::string& lines) const;

    mutable std::mutex m_mutex;
    std::string m_greeting = "220 Scripted server ready";
    ConnectMode m_connectMode = ConnectMode::Normal;
    std::map<std::string, std::deque<std::string>> m_replies;
    std::set<std::string> m_closeOn;
    std::map<std::string, std::string> m_closeMid;
    std::set<std::string> m_silentOn;
    std::map<std::string, DataScript> m_data;
    std::vector<std::string> m_commands;
    std::string m_uploaded;
    bool m_ipv6 = false;
    int m_connections = 0;

    int m_listener = -1;
    int m_dataListener = -1;
    int m_dataPort = 0;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

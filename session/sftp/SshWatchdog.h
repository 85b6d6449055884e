#pragma once
// Holds every SSH wait to a deadline: libssh's own time-outs restart with each packet, so when an
// operation's time is up its socket is shut down, which ends whatever wait libssh is in.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tovo::sftp {

class SshWatchdog {
public:
    SshWatchdog();
    ~SshWatchdog();
    SshWatchdog(const SshWatchdog&) = delete;
    SshWatchdog& operator=(const SshWatchdog&) = delete;

    // From now on, socket is shut down unless disarm() comes within timeoutMs.
    void arm(int socket, int timeoutMs);
    void disarm();
    // The socket was shut down because its time ran out.
    bool fired() const;

private:
    void watch();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_armed = false;
    bool m_fired = false;
    bool m_stopping = false;
    bool m_idle = false; // the thread waits for an arm()
    int m_socket = -1;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};

// Arms the watchdog for one operation's whole duration.
class ArmedWatchdog {
public:
    ArmedWatchdog(SshWatchdog& watchdog, int socket, int timeoutMs) : m_watchdog(watchdog) {
        m_watchdog.arm(socket, timeoutMs);
    }
    ~ArmedWatchdog() { m_watchdog.disarm(); }
    ArmedWatchdog(const ArmedWatchdog&) = delete;
    ArmedWatchdog& operator=(const ArmedWatchdog&) = delete;

private:
    SshWatchdog& m_watchdog;
};

} // namespace tovo::sftp

#include "session/sftp/SshWatchdog.h"

#include <sys/socket.h>

namespace tovo::sftp {

SshWatchdog::SshWatchdog() : m_thread([this] { watch(); }) {}

SshWatchdog::~SshWatchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void SshWatchdog::arm(int socket, int timeoutMs) {
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_socket = socket;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        m_armed = socket >= 0;
        // A thread waiting for an earlier deadline finds the later one when it wakes: only an idle
        // one needs waking, which spares a transfer a thread switch per block.
        wake = m_idle;
    }
    if (wake)
        m_changed.notify_all();
}

void SshWatchdog::disarm() {
    std::lock_guard lock(m_mutex);
    m_armed = false; // the thread wakes at the old deadline, finds nothing to do and sleeps on
}

bool SshWatchdog::fired() const {
    std::lock_guard lock(m_mutex);
    return m_fired;
}

void SshWatchdog::watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_idle = true;
            m_changed.wait(lock);
            m_idle = false;
            continue;
        }
        const auto deadline = m_deadline;
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout && m_armed &&
            m_deadline == deadline) {
            ::shutdown(m_socket, SHUT_RDWR);
            m_fired = true;
            m_armed = false;
        }
    }
}

} // namespace tovo::sftp

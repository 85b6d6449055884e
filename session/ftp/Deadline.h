#pragma once
// The moment by which a whole network wait must be over, however many reads or addresses it takes:
// a server that sends a little now and then cannot keep restarting the clock.

#include <chrono>

namespace tovo::ftp {

class Deadline {
public:
    explicit Deadline(int timeoutMs) : m_end(Clock::now() + std::chrono::milliseconds(timeoutMs)) {}

    // The time-out for the next single wait: what is left, 0 once the moment has passed. Rounded up,
    // so that a wait that times out leaves the deadline passed rather than a fraction short.
    int remainingMs() const {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }
    bool passed() const { return Clock::now() >= m_end; }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_end;
};

} // namespace tovo::ftp

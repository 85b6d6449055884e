#include "transfer/FileTimes.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
constexpr std::int64_t TicksPerSecond = 10'000'000;
constexpr std::int64_t SecondsFrom1601To1970 = 11'644'473'600;
} // namespace

std::optional<std::int64_t> UnixSecondsFromFileTime(const FILETIME& time) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    if (ticks == 0)
        return std::nullopt;
    return static_cast<std::int64_t>(ticks / TicksPerSecond) - SecondsFrom1601To1970;
}

FILETIME FileTimeFromUnixSeconds(std::int64_t seconds) {
    // Times before 1601 cannot be told; they become the earliest one.
    const std::int64_t since1601 = seconds < -SecondsFrom1601To1970 ? 0 : seconds + SecondsFrom1601To1970;
    const std::uint64_t ticks = static_cast<std::uint64_t>(since1601) * TicksPerSecond;
    return {static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu), static_cast<std::uint32_t>(ticks >> 32)};
}

bool SetLocalFileTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

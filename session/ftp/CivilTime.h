#pragma once
// Calendar arithmetic in the proleptic Gregorian calendar, UTC, without the C library's time zone:
// days since 1970-01-01 to and from year, month and day.

#include <cstdint>

namespace tovo::ftp {

struct CivilTime {
    std::int64_t year = 1970;
    int month = 1, day = 1, hour = 0, minute = 0, second = 0;

    static std::int64_t daysFromCivil(std::int64_t year, int month, int day);
    static CivilTime fromUnixSeconds(std::int64_t seconds);
    std::int64_t toUnixSeconds() const;
    // 0 = Sunday.
    static int dayOfWeek(std::int64_t daysSince1970);
    static bool valid(std::int64_t year, int month, int day, int hour, int minute, int second);
};

} // namespace tovo::ftp

#include "session/ftp/CivilTime.h"

namespace tovo::ftp {

namespace {

bool leapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    return value / divisor - (value % divisor != 0 && (value < 0) != (divisor < 0));
}

} // namespace

// Howard Hinnant's days_from_civil / civil_from_days.
std::int64_t CivilTime::daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = floorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilTime CivilTime::fromUnixSeconds(std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, 86400);
    const std::int64_t secondOfDay = seconds - days * 86400;
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = floorDiv(shifted, 146097);
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CivilTime result;
    result.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    result.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    result.year = yearOfEra + era * 400 + (result.month <= 2);
    result.hour = static_cast<int>(secondOfDay / 3600);
    result.minute = static_cast<int>(secondOfDay / 60 % 60);
    result.second = static_cast<int>(secondOfDay % 60);
    return result;
}

std::int64_t CivilTime::toUnixSeconds() const {
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

int CivilTime::dayOfWeek(std::int64_t daysSince1970) {
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((daysSince1970 % 7) + 11) % 7);
}

bool CivilTime::valid(std::int64_t year, int month, int day, int hour, int minute, int second) {
    return year >= 1 && year <= 99999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 && minute < 60 &&
           second >= 0 && second <= 60;
}

} // namespace tovo::ftp

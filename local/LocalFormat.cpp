#include "local/LocalFormat.h"

#include <ctime>

std::string GeneralDateText(const CalendarTime& time) {
    std::string text =
        std::to_string(time.month) + '/' + std::to_string(time.day) + '/' + std::to_string(time.year);
    if (time.hour == 0 && time.minute == 0 && time.second == 0)
        return text;
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    auto twoDigits = [](int value) {
        std::string digits(value < 10 ? 1 : 0, '0');
        digits += std::to_string(value);
        return digits;
    };
    text += ' ' + std::to_string(hour12) + ':' + twoDigits(time.minute) + ':' + twoDigits(time.second);
    text += time.hour < 12 ? " AM" : " PM";
    return text;
}

std::string LocalDateText(std::int64_t unixSeconds) {
    const std::time_t seconds = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    return GeneralDateText(
        {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

std::string FolderWithSlash(const std::string& path) {
    if (path.empty() || path.back() == '/')
        return path;
    return path + '/';
}

#include "local/LocalFormat.h"

#include <ctime>

std::string LocalSizeText(std::int64_t bytes) {
    // Whole-number maths stays exact for every 64-bit size; doubles would not.
    const bool negative = bytes < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    const std::uint64_t kilobytes = magnitude / 1000 + (magnitude % 1000 >= 500 ? 1 : 0);

    const std::string digits = std::to_string(kilobytes);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    if (negative && kilobytes != 0)
        text.insert(0, 1, '-');
    return text + " Kb";
}

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

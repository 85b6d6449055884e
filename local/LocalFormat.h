#pragma once
// Texts of the local file list: dates in the general date format, and
// the folder path with its trailing separator.

#include <cstdint>
#include <string>

struct CalendarTime {
    int year, month, day, hour, minute, second;
};

// General date: short date and long time, "M/D/YYYY h:mm:ss AM" or "... PM"; the time is left out
// at exactly midnight. A fixed format keeps the list the same on every machine.
std::string GeneralDateText(const CalendarTime& time);

// A file time (seconds since 1970, UTC) in the machine's local time as general date text.
std::string LocalDateText(std::int64_t unixSeconds);

// The folder path ending with exactly one "/" ("/" stays "/", "/data" becomes "/data/"); no folder
// ("") stays "".
std::string FolderWithSlash(const std::string& path);

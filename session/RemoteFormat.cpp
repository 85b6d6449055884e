#include "session/RemoteFormat.h"

#include <cstddef>

std::int64_t FindDataSize(const WIN32_FIND_DATAA& data) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

std::string RemoteSizeText(std::int64_t bytes) {
    // Integer rounding keeps 64-bit sizes exact where a double would not.
    const std::uint64_t magnitude =
        bytes < 0 ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    const std::uint64_t kilobytes = (magnitude + 512) / 1024;
    std::string digits = std::to_string(kilobytes);
    for (auto position = static_cast<std::ptrdiff_t>(digits.size()) - 3; position > 0; position -= 3)
        digits.insert(static_cast<std::size_t>(position), 1, ',');
    if (bytes < 0 && kilobytes != 0)
        digits.insert(0, 1, '-');
    return digits + "Kb";
}

std::string RemoteDateText(const SYSTEMTIME& time) {
    return std::to_string(time.wMonth) + '/' + std::to_string(time.wDay) + '/' + std::to_string(time.wYear) +
           ' ' + std::to_string(time.wHour) + ':' + std::to_string(time.wMinute);
}

std::string RemoteDateText(const FILETIME& time) {
    SYSTEMTIME system{};
    if (!FileTimeToSystemTime(&time, &system))
        return {};
    return RemoteDateText(system);
}

std::string RemoteParentDirectory(const std::string& dir) {
    if (dir.size() < 2)
        return "/";
    // Drop the trailing "/", then everything after the "/" before it.
    const auto slash = dir.rfind('/', dir.size() - 2);
    if (slash == std::string::npos)
        return "/";
    return dir.substr(0, slash + 1);
}

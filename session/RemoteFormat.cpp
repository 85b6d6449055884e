#include "session/RemoteFormat.h"

std::int64_t FindDataSize(const WIN32_FIND_DATAA& data) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
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

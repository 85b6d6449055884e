#pragma once
// File times between the server's form (100 ns since 1601) and the disk's (seconds since 1970), and
// setting a local file's modification time.

#include "session/WinInetAPI.h"

#include <cstdint>
#include <optional>
#include <string>

// Seconds since 1970 (UTC); none for the zero time, which says "not known".
std::optional<std::int64_t> UnixSecondsFromFileTime(const FILETIME& time);
FILETIME FileTimeFromUnixSeconds(std::int64_t seconds);
// Sets the local file's modification time (its access time too); false when the disk refuses.
bool SetLocalFileTime(const std::string& path, std::int64_t seconds);

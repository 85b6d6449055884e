#pragma once
// Texts of the remote list: dates of the find record, and the parent of
// a remote directory.

#include "session/WinInetAPI.h"

#include <cstdint>
#include <string>

// The full 64-bit size of a find record.
std::int64_t FindDataSize(const WIN32_FIND_DATAA& data);
// "M/D/YYYY H:M" without leading zeros: 7 March 2001 09:05 -> "3/7/2001 9:5".
std::string RemoteDateText(const SYSTEMTIME& time);
// The same from a file time (no time-zone conversion); "" when the time cannot be converted.
std::string RemoteDateText(const FILETIME& time);
// The directory above dir (which ends with "/"): "/pub/docs/" -> "/pub/". A directory with no "/"
// before its last character ("/" itself, or "pub/" from a server without leading slashes) gives "/".
std::string RemoteParentDirectory(const std::string& dir);

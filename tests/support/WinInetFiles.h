#pragma once
// Test helpers that move whole files and listings through the WinInet-named FTP layer the way the
// program does: 1024 bytes per call, one find record at a time.

#include "session/WinInetAPI.h"

#include <string>
#include <vector>

class WinInetFiles {
public:
    // Reads the whole remote file; ok is true when the open, every read and the close succeeded.
    static std::string read(HINTERNET connect, const char* path, std::uint32_t type, bool& ok);
    // Writes content in 1024-byte calls; true when the open, every write and the close succeeded.
    static bool write(HINTERNET connect, const char* path, const std::string& content, std::uint32_t type);
    // Every find record of the pattern (none when FtpFindFirstFileA gives no handle).
    static std::vector<WIN32_FIND_DATAA> list(HINTERNET connect, const char* pattern);
};

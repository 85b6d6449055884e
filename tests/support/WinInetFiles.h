#pragma once
// Test helpers that move whole files and listings through the WinInet-named FTP layer the way the
// program does: 1024 bytes per call, one find record at a time.

#include "session/WinInetAPI.h"

#include <algorithm>
#include <string>
#include <vector>

class WinInetFiles {
public:
    // Reads the whole remote file (from offset on); ok is true when the open, every read and the
    // close succeeded.
    static std::string read(HINTERNET connect, const char* path, std::uint32_t type, bool& ok,
                            std::int64_t offset = 0) {
        std::string result;
        const HINTERNET file = FtpOpenFileFromA(connect, path, GENERIC_READ, type, offset);
        char buffer[1024];
        std::uint32_t got = sizeof buffer;
        for (ok = file != 0; ok && got == sizeof buffer; result.append(buffer, got))
            ok = InternetReadFile(file, buffer, sizeof buffer, &got);
        ok = file && InternetCloseHandle(file) && ok;
        return result;
    }
    // Writes content in 1024-byte calls (into the file from offset on); true when the open, every
    // write and the close succeeded.
    static bool write(HINTERNET connect, const char* path, const std::string& content, std::uint32_t type,
                      std::int64_t offset = 0) {
        const HINTERNET file = FtpOpenFileFromA(connect, path, GENERIC_WRITE, type, offset);
        bool ok = file != 0;
        for (std::size_t at = 0; ok && at < content.size(); at += 1024) {
            const auto size = std::uint32_t(std::min<std::size_t>(1024, content.size() - at));
            std::uint32_t written = 0;
            ok = InternetWriteFile(file, content.data() + at, size, &written) && written == size;
        }
        return file && InternetCloseHandle(file) && ok;
    }
    // Every find record of the pattern (none when FtpFindFirstFileA gives no handle).
    static std::vector<WIN32_FIND_DATAA> list(HINTERNET connect, const char* pattern) {
        std::vector<WIN32_FIND_DATAA> result;
        WIN32_FIND_DATAA data;
        const HINTERNET find = FtpFindFirstFileA(connect, pattern, &data, INTERNET_FLAG_RELOAD, 0);
        for (BOOL more = find != 0; more; more = InternetFindNextFileA(find, &data))
            result.push_back(data);
        InternetCloseHandle(find);
        return result;
    }
};

#include "tests/support/WinInetFiles.h"

#include <algorithm>

std::string WinInetFiles::read(HINTERNET connect, const char* path, std::uint32_t type, bool& ok) {
    std::string result;
    ok = false;
    const HINTERNET file = FtpOpenFileA(connect, path, GENERIC_READ, type, 0);
    if (!file)
        return result;
    char buffer[1024];
    std::uint32_t got = 0;
    bool reads = true;
    do {
        reads = InternetReadFile(file, buffer, sizeof buffer, &got);
        result.append(buffer, got);
    } while (reads && got == sizeof buffer);
    ok = InternetCloseHandle(file) && reads;
    return result;
}

bool WinInetFiles::write(HINTERNET connect, const char* path, const std::string& content,
                         std::uint32_t type) {
    const HINTERNET file = FtpOpenFileA(connect, path, GENERIC_WRITE, type, 0);
    if (!file)
        return false;
    bool ok = true;
    for (std::size_t at = 0; ok && at < content.size(); at += 1024) {
        std::uint32_t written = 0;
        const auto size = static_cast<std::uint32_t>(std::min<std::size_t>(1024, content.size() - at));
        ok = InternetWriteFile(file, content.data() + at, size, &written) && written == size;
    }
    return InternetCloseHandle(file) && ok;
}

std::vector<WIN32_FIND_DATAA> WinInetFiles::list(HINTERNET connect, const char* pattern) {
    std::vector<WIN32_FIND_DATAA> result;
    WIN32_FIND_DATAA data;
    const HINTERNET find = FtpFindFirstFileA(connect, pattern, &data, INTERNET_FLAG_RELOAD, 0);
    for (BOOL more = find != 0; more; more = InternetFindNextFileA(find, &data))
        result.push_back(data);
    InternetCloseHandle(find);
    return result;
}

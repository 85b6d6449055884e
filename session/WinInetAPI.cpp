#include "session/WinInetAPI.h"

// Placeholder until the FTP engine lands: every operation fails cleanly.
namespace {
int g_timeoutMs = 30000;
}

HINTERNET InternetOpenA(const char*, std::uint32_t, const char*, const char*, std::uint32_t) {
    return 0;
}
HINTERNET InternetConnectA(HINTERNET, const char*, int, const char*, const char*, std::uint32_t,
                           std::uint32_t, std::uintptr_t) {
    return 0;
}
BOOL InternetCloseHandle(HINTERNET) {
    return 0;
}
BOOL FtpGetCurrentDirectoryA(HINTERNET, char*, std::uint32_t*) {
    return 0;
}
BOOL FtpSetCurrentDirectoryA(HINTERNET, const char*) {
    return 0;
}
HINTERNET FtpFindFirstFileA(HINTERNET, const char*, WIN32_FIND_DATAA*, std::uint32_t, std::uintptr_t) {
    return 0;
}
BOOL InternetFindNextFileA(HINTERNET, WIN32_FIND_DATAA*) {
    return 0;
}
HINTERNET FtpOpenFileA(HINTERNET, const char*, std::uint32_t, std::uint32_t, std::uintptr_t) {
    return 0;
}
BOOL InternetReadFile(HINTERNET, void*, std::uint32_t, std::uint32_t* read) {
    if (read)
        *read = 0;
    return 0;
}
BOOL InternetWriteFile(HINTERNET, const void*, std::uint32_t, std::uint32_t*) {
    return 0;
}
BOOL FtpRenameFileA(HINTERNET, const char*, const char*) {
    return 0;
}
BOOL FtpCreateDirectoryA(HINTERNET, const char*) {
    return 0;
}
BOOL FtpDeleteFileA(HINTERNET, const char*) {
    return 0;
}
BOOL FtpRemoveDirectoryA(HINTERNET, const char*) {
    return 0;
}
BOOL FileTimeToSystemTime(const FILETIME*, SYSTEMTIME*) {
    return 0;
}
std::string StripNulls(const std::string& text) {
    return text.substr(0, text.find('\0'));
}
void SetNetworkTimeoutMs(int milliseconds) {
    g_timeoutMs = milliseconds;
}
int NetworkTimeoutMs() {
    return g_timeoutMs;
}

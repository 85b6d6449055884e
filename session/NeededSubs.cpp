#include "session/NeededSubs.h"

#include "session/FtpSession.h"

#include <algorithm>

namespace {

constexpr std::uint32_t ConnectFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;
int g_keepAliveIntervalMs = kKeepAliveIntervalMs;

} // namespace

HINTERNET ConnectSession(std::uint32_t service) {
    // Passive mode and TLS are FTP's; an SFTP login is shared the way an FTP one is.
    if (FtpSession.IsSftp())
        return InternetConnectSftpA(FtpSession.hInternet, FtpSession.Server.c_str(), FtpSession.Port,
                                    FtpSession.User.c_str(), FtpSession.Password.c_str(),
                                    FtpSession.KeyFile.c_str(), INTERNET_FLAG_EXISTING_CONNECT);
    const std::uint32_t flags = ConnectFlags | (FtpSession.Secure ? INTERNET_FLAG_SECURE : 0);
    return InternetConnectA(FtpSession.hInternet, FtpSession.Server.c_str(), FtpSession.Port,
                            FtpSession.User.c_str(), FtpSession.Password.c_str(), service, flags, 0);
}

std::string GetRemoteDirectory(HINTERNET connection) {
    std::string buffer(256, ' ');
    std::uint32_t length = 256;
    if (FtpGetCurrentDirectoryA(connection, buffer.data(), &length) != 1) {
        // A path longer than the buffer (a folder with a long name suffices): the call told the
        // length it needs, so ask once more with room for it.
        if (length <= buffer.size() || length > 1024 * 1024)
            return {};
        buffer.assign(length, ' ');
        if (FtpGetCurrentDirectoryA(connection, buffer.data(), &length) != 1)
            return {};
    }
    std::string text = StripNulls(buffer);
    // An empty path says nothing of where the server is: not the root.
    if (text.empty())
        return {};
    if (text.back() != '/')
        text += '/';
    return text;
}

HINTERNET OpenListingConnection() {
    // Only beside a live session: a fresh login would list its login folder under the old name.
    if (FtpSession.hInternet == 0 || !InternetConnectionAlive(FtpSession.hConnect))
        return 0;
    return ConnectSession(FtpSession.IsFtp ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP);
}

int KeepAliveIntervalMs() {
    return g_keepAliveIntervalMs;
}

void SetKeepAliveIntervalMs(int milliseconds) {
    g_keepAliveIntervalMs = std::max(1, milliseconds);
}

#pragma once
// The one FTP session of the program: the open handles and what the connect dialog handed over.

#include "session/WinInetAPI.h"

#include <cstdint>
#include <string>

struct FtpSessionRecord {
    HINTERNET hInternet = 0;
    HINTERNET hConnect = 0; // 0 = not connected
    std::string Server;
    std::string User;
    std::string Password;
    std::int32_t Port = 0;
    std::int16_t Service = 0; // 1 FTP, 3 HTTP, 4 SFTP
    bool Secure = false;      // FTP over explicit TLS (FTPS)
    bool IsFtp = false;
    std::string KeyFile; // SFTP: the private key to offer first, or "" for the usual ones

    bool IsSftp() const { return Service == INTERNET_SERVICE_SFTP; }
};

extern FtpSessionRecord FtpSession;

// Back to the state at start-up (tests).
void ResetFtpSession();

#include "session/FtpSession.h"

FtpSessionRecord FtpSession;

void ResetFtpSession() {
    FtpSession = FtpSessionRecord{};
}

#include "transfer/ExtensionCompare.h"

#include "session/FtpSession.h"

std::int32_t CurrentTransferType = 1;

// Placeholder until the extension table lands.
int TransferTypeForName(const std::string&) {
    return 2;
}

HINTERNET OpenRemoteFileAuto(const std::string& fileName, const std::string& remotePath) {
    const int type = TransferTypeForName(fileName);
    CurrentTransferType = type;
    return FtpOpenFileA(FtpSession.hConnect, remotePath.c_str(), GENERIC_READ,
                        static_cast<std::uint32_t>(type), 0);
}

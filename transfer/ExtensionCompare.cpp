#include "transfer/ExtensionCompare.h"

#include "session/FtpSession.h"

#include <array>
#include <cctype>
#include <string_view>

std::int32_t CurrentTransferType = 1;

namespace {

constexpr std::array<std::string_view, 26> AsciiExtensions = {
    "htm", "html", "txt", "ps", "dat", "csv", "rtf", "bat", "asc", "pfa", "cas", "pc8", "cgi",
    "hqx", "dxf",  "pbm", "js", "pgm", "ppm", "inf", "me",  "msg", "nws", "toc", "z",   "log"};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb))
            return false;
    }
    return true;
}

} // namespace

int TransferTypeForName(const std::string& fileName) {
    // Everything after the first dot; a name without a dot is compared as a whole.
    const std::size_t dot = fileName.find('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view(fileName) : std::string_view(fileName).substr(dot + 1);
    for (std::string_view text : AsciiExtensions)
        if (equalsIgnoringCase(extension, text))
            return static_cast<int>(FTP_TRANSFER_TYPE_ASCII);
    return static_cast<int>(FTP_TRANSFER_TYPE_BINARY);
}

int TransferTypeForMode(TransferMode mode, const std::string& fileName) {
    switch (mode) {
    case TransferMode::Auto:
        return TransferTypeForName(fileName);
    case TransferMode::Ascii:
        return static_cast<int>(FTP_TRANSFER_TYPE_ASCII);
    case TransferMode::Binary:
        break;
    }
    return static_cast<int>(FTP_TRANSFER_TYPE_BINARY);
}

HINTERNET OpenRemoteFileAuto(const std::string& fileName, const std::string& remotePath) {
    const int type = TransferTypeForName(fileName);
    CurrentTransferType = type;
    return FtpOpenFileA(FtpSession.hConnect, remotePath.c_str(), GENERIC_READ,
                        static_cast<std::uint32_t>(type), 0);
}

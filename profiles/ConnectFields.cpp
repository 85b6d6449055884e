#include "profiles/ConnectFields.h"

std::optional<int> ParsePortField(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    long value = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 65535)
            return std::nullopt;
    }
    if (value < 1)
        return std::nullopt;
    return static_cast<int>(value);
}

ConnectProtocol ProtocolOfProfile(const std::string& value) {
    if (value.empty() || value == "HTTP")
        return ConnectProtocol::Http;
    if (value == "FTPS")
        return ConnectProtocol::Ftps;
    if (value == "SFTP")
        return ConnectProtocol::Sftp;
    return ConnectProtocol::Ftp;
}

std::string ProfileProtocolValue(ConnectProtocol protocol) {
    switch (protocol) {
    case ConnectProtocol::Ftp:
        break;
    case ConnectProtocol::Ftps:
        return "FTPS";
    case ConnectProtocol::Sftp:
        return "SFTP";
    case ConnectProtocol::Http:
        return "HTTP";
    }
    return "FTP";
}

std::string PortAfterProtocolChoice(const std::string& port, ConnectProtocol protocol) {
    if (protocol == ConnectProtocol::Sftp)
        return "22";
    if (protocol == ConnectProtocol::Http)
        return "80";
    // A port the user typed for this server stays when only the protection changes.
    const std::optional<int> number = ParsePortField(port);
    return !number || *number == 22 || *number == 80 ? "21" : port;
}

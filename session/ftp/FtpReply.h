#pragma once
// One FTP server reply (code and text lines) and the readers of the reply texts the session needs:
// the passive-mode addresses, the current directory and the feature list.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovo::ftp {

struct FtpReply {
    int code = 0; // 0: no reply (connection lost, time-out) or a line without a code
    std::vector<std::string> lines;

    bool preliminary() const { return code >= 100 && code < 200; }
    bool positive() const { return code >= 200 && code < 300; }
    bool intermediate() const { return code >= 300 && code < 400; }
    // "421 Service not available": the server is closing the control connection.
    bool closing() const { return code == 421; }

    // Reply lines are read here for the session and the command line alike.
    // The number formed by the leading digits among the first three characters (0 for none).
    static int leadingCode(const std::string& line);
    // The code of a well-formed line ("ddd", "ddd text" or "ddd-text", 1xx to 5xx), else 0.
    static int codeOf(const std::string& line);
    // The line opens a multi-line reply: its fourth character is '-'.
    static bool opensMultiLine(const std::string& line) { return line.size() > 3 && line[3] == '-'; }
    // The line ends a reply that began with code: "ddd text" or just "ddd".
    static bool endsReply(const std::string& line, int code);

    // 227 text "(h1,h2,h3,h4,p1,p2)", parentheses optional: the four IPv4 address bytes and the port.
    struct PassiveAddress {
        std::uint8_t address[4];
        int port;
    };
    static std::optional<PassiveAddress> parsePasv(const std::string& text);
    // 229 text "(|||port|)" with any delimiter character.
    static std::optional<int> parseEpsv(const std::string& text);
    // 257 text: the quoted directory, doubled quotes standing for one.
    static std::optional<std::string> parseDirectory(const std::string& text);
    // 213 text "YYYYMMDDHHMMSS" or "YYYYMMDDHHMMSS.s..." (UTC, as MDTM gives it): milliseconds since
    // 1970-01-01 UTC.
    static std::optional<std::int64_t> parseModificationTime(const std::string& text);
    // Feature lines of a FEAT reply, upper case, without the leading blank ("MLST size*;type*;").
    std::vector<std::string> features() const;
};

} // namespace tovo::ftp

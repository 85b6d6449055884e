#include "session/ftp/FtpReply.h"

#include "session/ftp/CivilTime.h"

#include <algorithm>
#include <cctype>

namespace tovo::ftp {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int FtpReply::leadingCode(const std::string& line) {
    int code = 0;
    for (std::size_t i = 0; i < 3 && i < line.size() && isDigit(line[i]); ++i)
        code = code * 10 + (line[i] - '0');
    return code;
}

int FtpReply::codeOf(const std::string& line) {
    const int code = leadingCode(line);
    if (code < 100 || code > 599 || (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
        return 0;
    return code;
}

bool FtpReply::endsReply(const std::string& line, int code) {
    return code != 0 && codeOf(line) == code && (line.size() == 3 || line[3] == ' ');
}

std::optional<FtpReply::PassiveAddress> FtpReply::parsePasv(const std::string& text) {
    // Skip the reply code, then take the first run of six comma-separated numbers.
    std::size_t at = text.size() >= 3 && codeOf(text) ? 3 : 0;
    while (at < text.size()) {
        while (at < text.size() && !isDigit(text[at]))
            ++at;
        int numbers[6];
        int count = 0;
        std::size_t pos = at;
        while (count < 6 && pos < text.size() && isDigit(text[pos])) {
            int value = 0;
            int digits = 0;
            while (pos < text.size() && isDigit(text[pos]) && digits < 4) {
                value = value * 10 + (text[pos] - '0');
                ++pos;
                ++digits;
            }
            if (value > 255 || (pos < text.size() && isDigit(text[pos])))
                break;
            numbers[count++] = value;
            if (count < 6) {
                if (pos >= text.size() || text[pos] != ',')
                    break;
                ++pos;
            }
        }
        if (count == 6) {
            PassiveAddress result{};
            for (int i = 0; i < 4; ++i)
                result.address[i] = static_cast<std::uint8_t>(numbers[i]);
            result.port = numbers[4] * 256 + numbers[5];
            if (result.port == 0)
                return std::nullopt;
            return result;
        }
        // Go on after the whole run of digits that failed, not from its middle.
        at = pos > at ? pos : at + 1;
        while (at < text.size() && isDigit(text[at]))
            ++at;
    }
    return std::nullopt;
}

std::optional<int> FtpReply::parseEpsv(const std::string& text) {
    const std::size_t open = text.find('(');
    if (open == std::string::npos || open + 4 >= text.size())
        return std::nullopt;
    const char delimiter = text[open + 1];
    if (delimiter < 33 || delimiter > 126 || isDigit(delimiter))
        return std::nullopt;
    if (text[open + 2] != delimiter || text[open + 3] != delimiter)
        return std::nullopt;
    std::size_t pos = open + 4;
    int port = 0;
    int digits = 0;
    while (pos < text.size() && isDigit(text[pos]) && digits < 6) {
        port = port * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0 || pos >= text.size() || text[pos] != delimiter || port <= 0 || port > 65535)
        return std::nullopt;
    return port;
}

std::optional<std::string> FtpReply::parseDirectory(const std::string& text) {
    const std::size_t open = text.find('"');
    if (open == std::string::npos) {
        // Some servers give the path bare: "257 /home/user".
        std::size_t start = codeOf(text) ? 3 : 0;
        while (start < text.size() && text[start] == ' ')
            ++start;
        if (start >= text.size() || text[start] != '/')
            return std::nullopt;
        return text.substr(start, text.find(' ', start) - start);
    }
    std::string path;
    for (std::size_t pos = open + 1; pos < text.size(); ++pos) {
        if (text[pos] != '"') {
            path += text[pos];
            continue;
        }
        if (pos + 1 < text.size() && text[pos + 1] == '"') {
            path += '"';
            ++pos;
            continue;
        }
        return path;
    }
    return std::nullopt; // no closing quote
}
std::optional<std::int64_t> FtpReply::parseModificationTime(const std::string& text) {
    constexpr std::size_t kDigits = 14;
    if (codeOf(text) != 213 || text.size() < 4 + kDigits || text[3] != ' ')
        return std::nullopt;
    const std::string stamp = text.substr(4);
    const auto number = [&stamp](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (stamp[i] - '0');
        return value;
    };
    if (!std::all_of(stamp.begin(), stamp.begin() + kDigits, isDigit))
        return std::nullopt;
    // The fraction may have any number of digits; milliseconds are kept.
    int milliseconds = 0;
    if (stamp.size() > kDigits) {
        if (stamp[kDigits] != '.' || stamp.size() == kDigits + 1 ||
            !std::all_of(stamp.begin() + kDigits + 1, stamp.end(), isDigit))
            return std::nullopt;
        const std::string fraction = (stamp.substr(kDigits + 1) + "00").substr(0, 3);
        milliseconds = std::stoi(fraction);
    }
    CivilTime time;
    time.year = number(0, 4);
    time.month = number(4, 2);
    time.day = number(6, 2);
    time.hour = number(8, 2);
    time.minute = number(10, 2);
    time.second = number(12, 2);
    if (!CivilTime::valid(time.year, time.month, time.day, time.hour, time.minute, time.second))
        return std::nullopt;
    return time.toUnixSeconds() * 1000 + milliseconds;
}

std::vector<std::string> FtpReply::features() const {
    std::vector<std::string> result;
    // Feature lines are the middle lines; they start with a blank (some servers omit it).
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        std::string feature = lines[i];
        const std::size_t start = feature.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        feature.erase(0, start);
        if (endsReply(feature, code) || (codeOf(feature) == code && feature.size() > 3 && feature[3] == '-'))
            continue;
        std::transform(feature.begin(), feature.end(), feature.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        result.push_back(feature);
    }
    return result;
}

} // namespace tovo::ftp

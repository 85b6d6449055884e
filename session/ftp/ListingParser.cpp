#include "session/ftp/ListingParser.h"

#include "session/ftp/CivilTime.h"

#include <array>
#include <cctype>

namespace tovo::ftp {

namespace {

struct Token {
    std::string_view text;
    std::size_t end; // offset just past the token in the line
};

std::vector<Token> tokenize(std::string_view line, std::size_t maxTokens) {
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < line.size() && tokens.size() < maxTokens) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ')
            ++pos;
        if (pos > start)
            tokens.push_back({line.substr(start, pos - start), pos});
    }
    return tokens;
}

bool allDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Decimal digits to a number; nothing when not all digits or beyond 64 bits.
std::optional<std::uint64_t> toNumber(std::string_view text) {
    if (!allDigits(text) || text.size() > 20)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<int> toSmall(std::string_view text) {
    if (text.empty() || text.size() > 9 || !allDigits(text))
        return std::nullopt;
    return static_cast<int>(*toNumber(text));
}

int monthNumber(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3)
        return 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < 3; ++k)
            same = same && std::tolower(static_cast<unsigned char>(text[k])) == kMonths[i][k];
        if (same)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

std::optional<std::int64_t> unixSeconds(std::int64_t year, int month, int day, int hour, int minute,
                                        int second) {
    if (!CivilTime::valid(year, month, day, hour, minute, second))
        return std::nullopt;
    return CivilTime{year, month, day, hour, minute, second}.toUnixSeconds();
}

// "HH:MM" (or "H:MM"); with seconds "HH:MM:SS" too.
bool parseClock(std::string_view text, int& hour, int& minute) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view rest = text.substr(colon + 1);
    if (const std::size_t second = rest.find(':'); second != std::string_view::npos)
        rest = rest.substr(0, second);
    const auto h = toSmall(text.substr(0, colon));
    const auto m = toSmall(rest);
    if (!h || !m || *h > 23 || *m > 59)
        return false;
    hour = *h;
    minute = *m;
    return true;
}

bool isPermissions(std::string_view text) {
    if (text.size() < 10)
        return false;
    if (std::string_view("-dlcbpsD").find(text[0]) == std::string_view::npos)
        return false;
    for (std::size_t i = 1; i < 10; ++i)
        if (std::string_view("rwxsStTlL-").find(text[i]) == std::string_view::npos)
            return false;
    return true;
}

} // namespace

std::optional<ListingEntry> ListingParser::parseUnix(std::string_view line, std::int64_t now) {
    // perms links owner [group] size month day year-or-time name; owners may be numeric, so find
    // the date and take the number in front of it as the size.
    const std::vector<Token> tokens = tokenize(line, 12);
    if (tokens.size() < 6 || !isPermissions(tokens[0].text))
        return std::nullopt;
    for (std::size_t i = 2; i + 3 < tokens.size(); ++i) {
        const auto size = toNumber(tokens[i].text);
        if (!size)
            continue;
        std::optional<std::int64_t> modified;
        std::size_t last = 0; // index of the token the name follows
        if (const int month = monthNumber(tokens[i + 1].text)) {
            const auto day = toSmall(tokens[i + 2].text);
            if (!day)
                continue;
            int hour = 0, minute = 0;
            const std::string_view yearOrTime = tokens[i + 3].text;
            if (parseClock(yearOrTime, hour, minute)) {
                const std::int64_t thisYear = CivilTime::fromUnixSeconds(now).year;
                modified = unixSeconds(thisYear, month, *day, hour, minute, 0);
                // Allow a day of clock and time-zone difference before deciding it was last year.
                if (modified && *modified > now + 86400)
                    modified = unixSeconds(thisYear - 1, month, *day, hour, minute, 0);
                if (!modified && month == 2 && *day == 29)
                    modified = unixSeconds(thisYear - 1, 3, 1, hour, minute, 0);
            } else if (const auto year = toSmall(yearOrTime); year && yearOrTime.size() == 4) {
                modified = unixSeconds(*year, month, *day, 0, 0, 0);
            } else {
                continue;
            }
            last = i + 3;
        } else if (tokens[i + 1].text.size() == 10 && tokens[i + 1].text[4] == '-' &&
                   tokens[i + 1].text[7] == '-') {
            // ls --time-style=long-iso: "2024-01-05 12:34".
            const std::string_view date = tokens[i + 1].text;
            const auto isoYear = toSmall(date.substr(0, 4));
            const auto isoMonth = toSmall(date.substr(5, 2));
            const auto isoDay = toSmall(date.substr(8, 2));
            int hour = 0, minute = 0;
            if (!isoYear || !isoMonth || !isoDay || !parseClock(tokens[i + 2].text, hour, minute))
                continue;
            modified = unixSeconds(*isoYear, *isoMonth, *isoDay, hour, minute, 0);
            last = i + 2;
        } else {
            continue;
        }
        if (!modified)
            continue;
        std::size_t nameStart = tokens[last].end + 1; // one blank separates the date from the name
        if (nameStart >= line.size())
            return std::nullopt;
        std::string_view name = line.substr(nameStart);
        if (tokens[0].text[0] == 'l') {
            if (const std::size_t arrow = name.find(" -> "); arrow != std::string_view::npos)
                name = name.substr(0, arrow);
        }
        if (name.find_first_not_of(' ') == std::string_view::npos)
            return std::nullopt;
        ListingEntry entry;
        entry.name = std::string(name);
        entry.directory = tokens[0].text[0] == 'd' || tokens[0].text[0] == 'D';
        entry.size = *size;
        entry.modified = modified;
        return entry;
    }
    return std::nullopt;
}

std::optional<ListingEntry> ListingParser::parseDos(std::string_view line) {
    // "01-16-02  11:14AM       <DIR>          name" or "01-16-2002  23:14   1234 name".
    const std::vector<Token> tokens = tokenize(line, 3);
    if (tokens.size() < 3)
        return std::nullopt;
    const std::string_view date = tokens[0].text;
    if (date.size() != 8 && date.size() != 10)
        return std::nullopt;
    if ((date[2] != '-' && date[2] != '/') || date[5] != date[2])
        return std::nullopt;
    const auto month = toSmall(date.substr(0, 2));
    const auto day = toSmall(date.substr(3, 2));
    auto year = toSmall(date.substr(6));
    if (!month || !day || !year)
        return std::nullopt;
    if (date.size() == 8)
        *year += *year < 70 ? 2000 : 1900;

    std::string_view clock = tokens[1].text;
    int hour = 0, minute = 0;
    bool pm = false, am = false;
    if (clock.size() > 2) {
        const std::string_view suffix = clock.substr(clock.size() - 2);
        pm = suffix == "PM" || suffix == "pm";
        am = suffix == "AM" || suffix == "am";
        if (pm || am)
            clock = clock.substr(0, clock.size() - 2);
    }
    if (!parseClock(clock, hour, minute))
        return std::nullopt;
    if ((am || pm) && (hour < 1 || hour > 12))
        return std::nullopt;
    if (am && hour == 12)
        hour = 0;
    if (pm && hour != 12)
        hour += 12;

    ListingEntry entry;
    const std::string_view kind = tokens[2].text;
    if (kind == "<DIR>") {
        entry.directory = true;
    } else if (const auto size = toNumber(kind)) {
        entry.size = *size;
    } else {
        return std::nullopt;
    }
    std::size_t nameStart = tokens[2].end;
    while (nameStart < line.size() && line[nameStart] == ' ')
        ++nameStart;
    if (nameStart >= line.size())
        return std::nullopt;
    entry.name = std::string(line.substr(nameStart));
    entry.modified = unixSeconds(*year, *month, *day, hour, minute, 0);
    if (!entry.modified)
        return std::nullopt;
    return entry;
}

std::optional<ListingEntry> ListingParser::parseEplf(std::string_view line) {
    // "+fact,fact,...,\tname": "/" a folder, "r" a file, "s<size>", "m<seconds since 1970>".
    const std::size_t tab = line.find('\t');
    if (line.empty() || line[0] != '+' || tab == std::string_view::npos || tab + 1 >= line.size())
        return std::nullopt;
    ListingEntry entry;
    bool known = false;
    std::string_view facts = line.substr(1, tab - 1);
    while (!facts.empty()) {
        const std::size_t comma = facts.find(',');
        const std::string_view fact = facts.substr(0, comma);
        facts = comma == std::string_view::npos ? std::string_view() : facts.substr(comma + 1);
        if (fact.empty())
            continue;
        if (fact == "/") {
            entry.directory = true;
            known = true;
        } else if (fact == "r") {
            known = true;
        } else if (fact[0] == 's') {
            if (const auto size = toNumber(fact.substr(1)))
                entry.size = *size;
        } else if (fact[0] == 'm') {
            if (const auto seconds = toNumber(fact.substr(1)); seconds && *seconds < (1ULL << 40))
                entry.modified = static_cast<std::int64_t>(*seconds);
        }
    }
    if (!known)
        return std::nullopt;
    entry.name = std::string(line.substr(tab + 1));
    return entry;
}

std::optional<ListingEntry> ListingParser::parseListLine(std::string_view line, std::int64_t now) {
    if (line.empty())
        return std::nullopt;
    if (line[0] == '+')
        return parseEplf(line);
    if (line[0] >= '0' && line[0] <= '9')
        return parseDos(line);
    return parseUnix(line, now);
}

std::optional<ListingEntry> ListingParser::parseMlsdLine(std::string_view line) {
    // "fact=value;fact=value; name": facts end at the first blank.
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= line.size())
        return std::nullopt;
    ListingEntry entry;
    std::string_view facts = line.substr(0, blank);
    bool sawFact = false;
    while (!facts.empty()) {
        const std::size_t semicolon = facts.find(';');
        const std::string_view fact = facts.substr(0, semicolon);
        facts = semicolon == std::string_view::npos ? std::string_view() : facts.substr(semicolon + 1);
        const std::size_t equals = fact.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        sawFact = true;
        std::string key(fact.substr(0, equals));
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string value(fact.substr(equals + 1));
        if (key == "type") {
            for (char& c : value)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (value == "cdir" || value == "pdir")
                return std::nullopt;
            entry.directory = value == "dir";
        } else if (key == "size") {
            if (const auto size = toNumber(value))
                entry.size = *size;
        } else if (key == "modify" && value.size() >= 14) {
            const std::string_view stamp(value);
            const auto year = toSmall(stamp.substr(0, 4));
            const auto month = toSmall(stamp.substr(4, 2));
            const auto day = toSmall(stamp.substr(6, 2));
            const auto hour = toSmall(stamp.substr(8, 2));
            const auto minute = toSmall(stamp.substr(10, 2));
            const auto second = toSmall(stamp.substr(12, 2));
            if (year && month && day && hour && minute && second)
                entry.modified = unixSeconds(*year, *month, *day, *hour, *minute, *second);
        }
    }
    if (!sawFact)
        return std::nullopt;
    entry.name = std::string(line.substr(blank + 1));
    return entry;
}

std::vector<ListingEntry> ListingParser::parse(std::string_view listing, bool mlsd, std::int64_t now) {
    std::vector<ListingEntry> entries;
    while (!listing.empty()) {
        const std::size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        auto entry = mlsd ? parseMlsdLine(line) : parseListLine(line, now);
        if (entry && !entry->name.empty())
            entries.push_back(std::move(*entry));
    }
    return entries;
}

} // namespace tovo::ftp

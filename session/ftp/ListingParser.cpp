#include "session/ftp/ListingParser.h"

#include "session/ftp/CivilTime.h"
#include "session/ftp/ListingReader.h"
#include "session/ftp/MonthNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace tovo::ftp {

namespace {

struct Token {
    std::string_view text;
    std::size_t end; // offset just past the token in the line
};

// The first blank-separated tokens of a line: enough to find any date; the name is taken from the
// line itself.
struct Tokens {
    static constexpr std::size_t kMax = 16;
    std::array<Token, kMax> items{};
    std::size_t count = 0;

    std::size_t size() const { return count; }
    std::string_view text(std::size_t index) const {
        return index < count ? items[index].text : std::string_view();
    }
    std::size_t end(std::size_t index) const { return items[index].end; }
};

Tokens tokenize(std::string_view line) {
    Tokens tokens;
    std::size_t pos = 0;
    while (pos < line.size() && tokens.count < Tokens::kMax) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ')
            ++pos;
        if (pos > start)
            tokens.items[tokens.count++] = {line.substr(start, pos - start), pos};
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

// Sizes are handed on as signed 64-bit counts: a larger one stops at the greatest.
constexpr std::uint64_t kLargestSize = std::numeric_limits<std::int64_t>::max();

std::optional<std::uint64_t> toCount(std::string_view digits) {
    if (!allDigits(digits))
        return std::nullopt;
    return std::min(toNumber(digits).value_or(kLargestSize), kLargestSize);
}

// "33.5k", "1.2M": a size rounded to a binary unit, as some servers print them.
std::optional<std::uint64_t> toUnitSize(std::string_view text) {
    static constexpr std::string_view kUnits = "kmgt";
    const std::size_t power =
        text.size() < 2
            ? std::string_view::npos
            : kUnits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(text.back()))));
    if (power == std::string_view::npos)
        return std::nullopt;
    text.remove_suffix(1);
    const std::size_t mark = text.find_first_of(",.");
    const std::string_view whole = text.substr(0, mark);
    const std::string_view fraction = mark == std::string_view::npos ? "0" : text.substr(mark + 1);
    if (!allDigits(whole) || whole.size() > 6 || !allDigits(fraction) || fraction.size() > 3)
        return std::nullopt;
    const std::uint64_t unit = std::uint64_t{1} << (10 * (power + 1));
    std::uint64_t scale = 1;
    for (std::size_t i = 0; i < fraction.size(); ++i)
        scale *= 10;
    return *toNumber(whole) * unit + *toNumber(fraction) * unit / scale;
}

// A byte count, plain ("1234567"), grouped by three with "," or "." ("1,234,567") or with a unit.
std::optional<std::uint64_t> toSize(std::string_view text) {
    if (const auto plain = toCount(text))
        return plain;
    const std::size_t mark = text.find_first_of(",.");
    if (mark == std::string_view::npos || mark == 0 || mark > 3)
        return toUnitSize(text);
    std::string digits(text.substr(0, mark));
    for (std::size_t pos = mark; pos < text.size(); pos += 4) {
        if (text[pos] != text[mark] || pos + 4 > text.size() || !allDigits(text.substr(pos + 1, 3)))
            return toUnitSize(text);
        digits.append(text.substr(pos + 1, 3));
    }
    return toCount(digits);
}

struct Clock {
    int hour = 0, minute = 0, second = 0;
};

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i])
            return false;
    return true;
}

// Applies "AM" or "PM" to a 12-hour clock; false when text is neither or the hour is no 12-hour one.
bool applyMeridiem(Clock& clock, std::string_view text) {
    const bool am = equalsIgnoringCase(text, "am");
    if ((!am && !equalsIgnoringCase(text, "pm")) || clock.hour < 1 || clock.hour > 12)
        return false;
    clock.hour = clock.hour % 12 + (am ? 0 : 12);
    return true;
}

// "H:MM", "HH:MM:SS", "HH:MM:SS.fraction", each also with "AM" / "PM" touching it; "24:00" is the
// midnight that ends the day, and some servers drop a minute's leading zero ("10:5").
std::optional<Clock> parseClock(std::string_view text) {
    std::string_view meridiem;
    if (text.size() > 2 && !(text.back() >= '0' && text.back() <= '9')) {
        meridiem = text.substr(text.size() - 2);
        text.remove_suffix(2);
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2)
        return std::nullopt;
    Clock clock;
    const auto hour = toSmall(text.substr(0, colon));
    std::string_view rest = text.substr(colon + 1);
    const std::size_t secondColon = rest.find(':');
    const auto minute = toSmall(rest.substr(0, secondColon));
    if (!hour || !minute || *hour > 24 || *minute > 59 || rest.substr(0, secondColon).size() > 2)
        return std::nullopt;
    clock.hour = *hour;
    clock.minute = *minute;
    if (secondColon != std::string_view::npos) {
        const std::string_view seconds = rest.substr(secondColon + 1);
        const std::string_view whole = seconds.substr(0, seconds.find('.'));
        const auto second = toSmall(whole);
        if (!second || whole.size() != 2 || *second > 60)
            return std::nullopt;
        clock.second = std::min(*second, 59);
    }
    if (!meridiem.empty() && !applyMeridiem(clock, meridiem))
        return std::nullopt;
    return clock;
}

// A time-zone offset after a full time: "+0200", "-0500".
bool isZone(std::string_view text) {
    return text.size() == 5 && (text[0] == '+' || text[0] == '-') && allDigits(text.substr(1));
}

// "5", "05", "5." or "5,".
std::optional<int> dayNumber(std::string_view text) {
    if (!text.empty() && (text.back() == '.' || text.back() == ','))
        text.remove_suffix(1);
    const auto day = text.size() <= 2 ? toSmall(text) : std::nullopt;
    return day && *day >= 1 && *day <= 31 ? day : std::nullopt;
}

std::optional<int> yearNumber(std::string_view text) {
    const auto year = text.size() == 4 ? toSmall(text) : std::nullopt;
    return year && *year >= 1900 ? year : std::nullopt;
}

std::int64_t fullYear(int year, std::size_t digits) {
    return digits == 2 ? year + (year < 70 ? 2000 : 1900) : year;
}

struct DateFields {
    std::int64_t year = -1; // -1: not given (a Unix date with a time of day)
    int month = 0, day = 0;
    Clock clock;
};

// "2004-07-15", "1999/10/12", "2004.07.15", "24-04-2003", "04-24-03": three numbers with one
// separator. Year first when it has four digits; else the day comes first when the first number
// cannot be a month, or with dots, or when the caller's form says so and the second can be one.
// "01-jun-99": day, month name, year.
bool numericDate(std::string_view text, bool dayFirst, DateFields& fields) {
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1);
    const std::size_t first = text.find_first_of("-/.");
    if (first == std::string_view::npos)
        return false;
    const char separator = text[first];
    const std::size_t second = text.find(separator, first + 1);
    if (second == std::string_view::npos)
        return false;
    const std::string_view a = text.substr(0, first), b = text.substr(first + 1, second - first - 1),
                           c = text.substr(second + 1);
    const auto na = toSmall(a), nc = toSmall(c);
    if (!na || !nc)
        return false;
    const auto nb = toSmall(b);
    if (!nb) {
        if (a.size() > 2 || (c.size() != 2 && c.size() != 4))
            return false;
        fields = {fullYear(*nc, c.size()), MonthNames::number(b), *na, {}};
    } else if (b.size() > 2) {
        return false;
    } else if (a.size() == 4 && c.size() <= 2) {
        fields = {*na, *nb, *nc, {}};
    } else if (a.size() <= 2 && (c.size() == 4 || c.size() == 2)) {
        const bool dayLeads = *na > 12 || (*nb <= 12 && (dayFirst || separator == '.'));
        fields = {fullYear(*nc, c.size()), dayLeads ? *nb : *na, dayLeads ? *na : *nb, {}};
    } else {
        return false;
    }
    return fields.month >= 1 && fields.month <= 12 && fields.day >= 1 && fields.day <= 31;
}

// Chinese, Japanese and Korean dates: numbers followed by the year, month or day marker, several
// in one token ("2014年7月29日") or one per token ("7月").
bool cjkDate(std::string_view text, DateFields& fields) {
    static constexpr std::array<std::string_view, 6> kMarkers = {"年", "년", "月", "월", "日", "일"};
    bool any = false;
    while (!text.empty()) {
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        const auto number = toSmall(text.substr(0, digits));
        if (!number)
            return false;
        text.remove_prefix(digits);
        std::size_t marker = 0;
        while (marker < kMarkers.size() && !text.starts_with(kMarkers[marker]))
            ++marker;
        if (marker == kMarkers.size())
            return false;
        text.remove_prefix(kMarkers[marker].size());
        if (marker < 2)
            fields.year = *number;
        else
            (marker < 4 ? fields.month : fields.day) = *number;
        any = true;
    }
    return any;
}

// Recognises a date starting at token first by its shape: month name and day in either order, a
// numeric date or CJK markers, then a time of day (perhaps with seconds, a zone and a year) or a
// year. With numericMonth it reads month and day as numbers instead ("3 29", "09-26"), which only
// make a date before a time of day or, in the joined form, a year. The index just past the date,
// or 0 when there is none.
std::size_t matchDate(const Tokens& tokens, std::size_t first, bool numericMonth, DateFields& fields) {
    std::size_t next = first;
    fields = {};
    bool needsClock = false;
    if (numericMonth) {
        const std::string_view text = tokens.text(next);
        const std::size_t dash = text.find('-');
        needsClock = dash == std::string_view::npos;
        const std::string_view monthText = text.substr(0, dash);
        const std::string_view dayText = needsClock ? tokens.text(next + 1) : text.substr(dash + 1);
        const auto month = monthText.size() <= 2 ? toSmall(monthText) : std::nullopt;
        const auto day = dayText.size() <= 2 ? toSmall(dayText) : std::nullopt;
        if (!month || !day)
            return 0;
        fields.month = *month;
        fields.day = *day;
        next += needsClock ? 2 : 1;
    } else if (numericDate(tokens.text(next), true, fields)) {
        ++next;
    } else if (cjkDate(tokens.text(next), fields)) {
        while (cjkDate(tokens.text(++next), fields)) {
        }
        if (fields.month && !fields.day)
            if (const auto day = dayNumber(tokens.text(next))) {
                fields.day = *day;
                ++next;
            }
    } else if (const int month = MonthNames::number(tokens.text(next))) {
        const auto day = dayNumber(tokens.text(next + 1));
        if (!day)
            return 0;
        fields.month = month;
        fields.day = *day;
        next += 2;
    } else if (const auto day = dayNumber(tokens.text(next))) {
        fields.month = MonthNames::number(tokens.text(next + 1));
        fields.day = *day;
        next += 2;
    }
    if (fields.month < 1 || fields.month > 12 || fields.day < 1 || fields.day > 31)
        return 0;
    const bool comma = tokens.text(next - 1).ends_with(',');
    if (const auto clock = parseClock(tokens.text(next))) {
        fields.clock = *clock;
        ++next;
        if (isZone(tokens.text(next)))
            ++next;
        // "Jul 29 02:27 2014": a year after the time, when a name still follows it.
        if (fields.year < 0 && next + 1 < tokens.size())
            if (const auto year = yearNumber(tokens.text(next))) {
                fields.year = *year;
                ++next;
            }
    } else if (needsClock) {
        return 0;
    } else if (fields.year < 0) {
        const auto year = yearNumber(tokens.text(next));
        if (!year)
            return 0;
        fields.year = *year;
        ++next;
        // "Oct 08, 2002 09:47": after a comma the year comes before the time.
        if (comma && next + 1 < tokens.size())
            if (const auto yearClock = parseClock(tokens.text(next))) {
                fields.clock = *yearClock;
                ++next;
            }
    }
    return next;
}

std::optional<std::int64_t> unixSeconds(std::int64_t year, int month, int day, const Clock& clock) {
    const bool endOfDay = clock.hour == 24 && clock.minute == 0 && clock.second == 0;
    const int hour = endOfDay ? 0 : clock.hour;
    if (!CivilTime::valid(year, month, day, hour, clock.minute, clock.second))
        return std::nullopt;
    return CivilTime{year, month, day, hour, clock.minute, clock.second}.toUnixSeconds() +
           (endOfDay ? 86400 : 0);
}

// A date without a year lies within the year before now.
std::optional<std::int64_t> dateSeconds(const DateFields& date, std::int64_t now) {
    if (date.year >= 0)
        return unixSeconds(date.year, date.month, date.day, date.clock);
    const std::int64_t thisYear = CivilTime::fromUnixSeconds(now).year;
    auto modified = unixSeconds(thisYear, date.month, date.day, date.clock);
    // Allow a day of clock and time-zone difference before deciding it was last year.
    if (modified && *modified > now + 86400)
        modified = unixSeconds(thisYear - 1, date.month, date.day, date.clock);
    if (!modified && date.month == 2 && date.day == 29)
        modified = unixSeconds(thisYear - 1, 3, 1, date.clock);
    return modified;
}

// A kind letter ("a" is Plan 9's append-only file) and the rights: the usual nine, perhaps followed
// by an ACL mark, or as few as six on servers that shorten them ("drwxrwx").
bool isPermissions(std::string_view text) {
    if (text.size() < 7 || std::string_view("-dlcbpsDna").find(text[0]) == std::string_view::npos)
        return false;
    std::size_t rights = 1;
    while (rights < text.size() && rights < 10 &&
           std::string_view("rwxsStTlL-").find(text[rights]) != std::string_view::npos)
        ++rights;
    return rights == 10 || (rights >= 7 && rights == text.size());
}

struct UnixColumns {
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified;
    std::size_t nameStart = 0;
};

// The first date of the given month kind after the owner, and the size in front of it.
std::optional<UnixColumns> datedColumns(const Tokens& tokens, std::size_t base, bool device,
                                        bool numericMonth, std::int64_t now) {
    DateFields date;
    for (std::size_t first = base + 2; first + 1 < tokens.size(); ++first) {
        const std::size_t next = matchDate(tokens, first, numericMonth, date);
        if (next == 0)
            continue;
        const std::string_view sizeText = tokens.text(first - 1);
        std::optional<std::uint64_t> size = device ? 0 : toSize(sizeText);
        if (!size) {
            // A group name that runs into the size: "ftpusers123456".
            const std::size_t digits = sizeText.find_last_not_of("0123456789") + 1;
            if (digits == 0 || digits == sizeText.size())
                continue;
            size = toCount(sizeText.substr(digits));
        }
        const auto modified = dateSeconds(date, now);
        if (!size || !modified)
            continue;
        // One blank separates the date from the name.
        return UnixColumns{*size, modified, tokens.end(next - 1) + 1};
    }
    return std::nullopt;
}

// Names that could reach outside the folder listed, or that a NUL would cut to another file's name,
// are no entries of it.
bool isPlainName(std::string_view name) {
    return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool startsWithDigit(std::string_view text) {
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

// "perms links owner group size name" with no date at all; not when the name's first words start
// with digits, where it is more likely a date that could not be read ("Jan 45 2020").
std::optional<UnixColumns> undatedColumns(const Tokens& tokens, std::size_t base) {
    const auto size = toSize(tokens.text(base + 4));
    if (!size || !allDigits(tokens.text(base + 1)) || tokens.size() <= base + 5 ||
        startsWithDigit(tokens.text(base + 5)) || startsWithDigit(tokens.text(base + 6)))
        return std::nullopt;
    return UnixColumns{*size, std::nullopt, tokens.end(base + 4) + 1};
}

} // namespace

std::optional<ListingEntry> ListingParser::parseUnix(std::string_view line, std::int64_t now) {
    // perms links owner [group] size date name, where owners may be numeric, the group may be
    // missing or touch the size, and the date comes in many local forms: find the date by its shape
    // and take the number in front of it as the size.
    const Tokens tokens = tokenize(line);
    // "ls -s" puts a block count in front.
    const std::size_t base = !isPermissions(tokens.text(0)) && allDigits(tokens.text(0)) ? 1 : 0;
    const std::string_view permissions = tokens.text(base);
    // NetWare puts the kind alone and the rights in brackets: "d [RWCEAFMS] owner 512 ...".
    const bool netware = permissions.size() == 1 &&
                         std::string_view("-dl").find(permissions[0]) != std::string_view::npos &&
                         tokens.text(base + 1).starts_with('[');
    if (!isPermissions(permissions) && !netware)
        return std::nullopt;
    const bool device = permissions[0] == 'c' || permissions[0] == 'b';
    // Month names first: numbers alone are taken for a month only where no named date is found.
    auto columns = datedColumns(tokens, base, device, false, now);
    if (!columns)
        columns = datedColumns(tokens, base, device, true, now);
    if (!columns)
        columns = undatedColumns(tokens, base);
    if (!columns || columns->nameStart >= line.size())
        return std::nullopt;
    std::string_view name = line.substr(columns->nameStart);
    if (permissions[0] == 'l') {
        if (const std::size_t arrow = name.find(" -> "); arrow != std::string_view::npos)
            name = name.substr(0, arrow);
    }
    if (name.find_first_not_of(' ') == std::string_view::npos)
        return std::nullopt;
    ListingEntry entry;
    entry.name = std::string(name);
    entry.directory = permissions[0] == 'd' || permissions[0] == 'D';
    entry.size = columns->size;
    entry.modified = columns->modified;
    return entry;
}

std::optional<ListingEntry> ListingParser::parseDos(std::string_view line) {
    // "01-16-02  11:14AM  <DIR>  name", "2013-04-18  03:09 PM  1,234 name", "18.04.2013 15:09 12 name".
    const Tokens tokens = tokenize(line);
    DateFields date;
    if (!numericDate(tokens.text(0), false, date))
        return std::nullopt;
    auto clock = parseClock(tokens.text(1));
    if (!clock)
        return std::nullopt;
    std::size_t kind = 2;
    if (applyMeridiem(*clock, tokens.text(2)))
        ++kind;
    if (kind >= tokens.size())
        return std::nullopt;

    ListingEntry entry;
    const std::string_view kindText = tokens.text(kind);
    if (kindText == "<DIR>" || kindText == "<JUNCTION>" || kindText == "<SYMLINKD>") {
        entry.directory = true;
    } else if (const auto size = toSize(kindText)) {
        entry.size = *size;
    } else {
        return std::nullopt;
    }
    std::size_t nameStart = tokens.end(kind);
    while (nameStart < line.size() && line[nameStart] == ' ')
        ++nameStart;
    if (nameStart >= line.size())
        return std::nullopt;
    entry.name = std::string(line.substr(nameStart));
    entry.modified = unixSeconds(date.year, date.month, date.day, *clock);
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

std::optional<ListingEntry> ListingParser::parseVms(std::string_view line) {
    // "NAME.EXT;1  12/24  12-JAN-2020 10:00:00  [GROUP,OWNER]  (RWED,RWED,RE,)": the size in used
    // blocks of 512 bytes; a folder is a file of type DIR.
    const Tokens tokens = tokenize(line);
    const std::string_view file = tokens.text(0);
    const std::size_t semicolon = file.rfind(';');
    if (semicolon == 0 || semicolon == std::string_view::npos || !allDigits(file.substr(semicolon + 1)))
        return std::nullopt;
    const std::string_view blocksText = tokens.text(1);
    const auto blocks = toNumber(blocksText.substr(0, blocksText.find('/')));
    const std::string_view dateText = tokens.text(2);
    const std::size_t dash = dateText.find('-');
    const std::size_t secondDash = dateText.rfind('-');
    if (!blocks || dash == std::string_view::npos || secondDash == dash)
        return std::nullopt;
    DateFields date;
    const auto day = dayNumber(dateText.substr(0, dash));
    const auto year = toSmall(dateText.substr(secondDash + 1));
    date.month = MonthNames::number(dateText.substr(dash + 1, secondDash - dash - 1));
    const auto clock = parseClock(tokens.text(3));
    if (!day || !year || !date.month)
        return std::nullopt;
    ListingEntry entry;
    entry.modified = unixSeconds(fullYear(*year, dateText.size() - secondDash - 1), date.month, *day,
                                 clock.value_or(Clock{}));
    if (!entry.modified || *blocks > UINT64_MAX / 512)
        return std::nullopt;
    std::string_view name = file.substr(0, semicolon);
    if (name.size() > 4 && equalsIgnoringCase(name.substr(name.size() - 4), ".dir")) {
        entry.directory = true;
        name.remove_suffix(4);
    } else {
        entry.size = *blocks * 512;
    }
    entry.name = std::string(name);
    return entry;
}

std::optional<ListingEntry> ListingParser::parseListLine(std::string_view line, std::int64_t now) {
    auto entry = parseListForms(line, now);
    return entry && isPlainName(entry->name) ? entry : std::nullopt;
}

std::optional<ListingEntry> ListingParser::parseListForms(std::string_view line, std::int64_t now) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return std::nullopt;
    if (line[0] == '+')
        return parseEplf(line);
    if (line[start] >= '0' && line[start] <= '9') {
        if (auto entry = parseDos(line))
            return entry;
    }
    const std::size_t firstEnd = line.find(' ', start);
    if (line.substr(start, firstEnd - start).find(';') != std::string_view::npos)
        return parseVms(line);
    return parseUnix(line, now);
}

std::optional<ListingEntry> ListingParser::parseMlsdLine(std::string_view line) {
    // "fact=value;fact=value; name": the facts end at the first blank or tab after a ";" (a value may
    // hold blanks), and the name is everything after that one character, its own blanks and tabs
    // included.
    std::size_t blank = std::string_view::npos;
    for (std::size_t semicolon = line.find(';');
         semicolon != std::string_view::npos && blank == std::string_view::npos;
         semicolon = line.find(';', semicolon + 1))
        if (semicolon + 1 < line.size() && (line[semicolon + 1] == ' ' || line[semicolon + 1] == '\t'))
            blank = semicolon + 1;
    if (blank == std::string_view::npos)
        blank = line.find_first_of(" \t");
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
        const std::string_view key = fact.substr(0, equals);
        const std::string_view value = fact.substr(equals + 1);
        if (equalsIgnoringCase(key, "type")) {
            if (equalsIgnoringCase(value, "cdir") || equalsIgnoringCase(value, "pdir"))
                return std::nullopt;
            entry.directory = equalsIgnoringCase(value, "dir");
        } else if (equalsIgnoringCase(key, "size") || equalsIgnoringCase(key, "sizd")) {
            if (const auto size = toCount(value))
                entry.size = *size;
        } else if (equalsIgnoringCase(key, "modify") && value.size() >= 14) {
            const auto year = toSmall(value.substr(0, 4));
            const auto month = toSmall(value.substr(4, 2));
            const auto day = toSmall(value.substr(6, 2));
            const auto hour = toSmall(value.substr(8, 2));
            const auto minute = toSmall(value.substr(10, 2));
            const auto second = toSmall(value.substr(12, 2));
            if (year && month && day && hour && minute && second)
                entry.modified = unixSeconds(*year, *month, *day, Clock{*hour, *minute, *second});
        }
    }
    entry.name = std::string(line.substr(blank + 1));
    if (!sawFact || !isPlainName(entry.name))
        return std::nullopt;
    return entry;
}

std::vector<ListingEntry> ListingParser::parse(std::string_view listing, bool mlsd, std::int64_t now) {
    ListingReader reader(mlsd, now);
    reader.feed(listing);
    reader.finish();
    return reader.takeEntries();
}

} // namespace tovo::ftp

#pragma once
// Month names as directory listings print them: English, German, French, Spanish, Italian, Dutch,
// Polish, Russian and Hungarian, abbreviated or whole, in any case, with or without a dot or a comma.

#include <string_view>

namespace tovo::ftp {

class MonthNames {
public:
    // 1 to 12, or 0 when text is no month name. An abbreviation is any start of at least three
    // letters of a whole name ("Sept", "janv.", "márc").
    static int number(std::string_view text);
};

} // namespace tovo::ftp

#include "session/ftp/MonthNames.h"

#include <array>
#include <string>

namespace tovo::ftp {

namespace {

struct MonthName {
    std::string_view text; // lower case, UTF-8
    int month;
};

// Whole names (nominative and, where listings use it, genitive) and the few abbreviations that are
// not the start of a whole name.
constexpr std::array kNames = std::to_array<MonthName>({
    {"january", 1},    {"february", 2},   {"march", 3},     {"april", 4},        {"may", 5},
    {"june", 6},       {"july", 7},       {"august", 8},    {"september", 9},    {"october", 10},
    {"november", 11},  {"december", 12},  {"januar", 1},    {"februar", 2},      {"märz", 3},
    {"mrz", 3},        {"mai", 5},        {"juni", 6},      {"juli", 7},         {"oktober", 10},
    {"dezember", 12},  {"janvier", 1},    {"février", 2},   {"mars", 3},         {"avril", 4},
    {"juin", 6},       {"juillet", 7},    {"août", 8},      {"septembre", 9},    {"octobre", 10},
    {"novembre", 11},  {"décembre", 12},  {"enero", 1},     {"febrero", 2},      {"marzo", 3},
    {"abril", 4},      {"mayo", 5},       {"junio", 6},     {"julio", 7},        {"agosto", 8},
    {"septiembre", 9}, {"setiembre", 9},  {"octubre", 10},  {"noviembre", 11},   {"diciembre", 12},
    {"gennaio", 1},    {"febbraio", 2},   {"aprile", 4},    {"maggio", 5},       {"giugno", 6},
    {"luglio", 7},     {"settembre", 9},  {"ottobre", 10},  {"dicembre", 12},    {"januari", 1},
    {"februari", 2},   {"maart", 3},      {"mrt", 3},       {"mei", 5},          {"augustus", 8},
    {"styczeń", 1},    {"stycznia", 1},   {"luty", 2},      {"lutego", 2},       {"marzec", 3},
    {"marca", 3},      {"kwiecień", 4},   {"kwietnia", 4},  {"maj", 5},          {"maja", 5},
    {"czerwiec", 6},   {"czerwca", 6},    {"lipiec", 7},    {"lipca", 7},        {"sierpień", 8},
    {"sierpnia", 8},   {"wrzesień", 9},   {"września", 9},  {"październik", 10}, {"października", 10},
    {"listopad", 11},  {"listopada", 11}, {"grudzień", 12}, {"grudnia", 12},     {"январь", 1},
    {"января", 1},     {"февраль", 2},    {"февраля", 2},   {"март", 3},         {"марта", 3},
    {"апрель", 4},     {"апреля", 4},     {"май", 5},       {"мая", 5},          {"июнь", 6},
    {"июня", 6},       {"июль", 7},       {"июля", 7},      {"август", 8},       {"августа", 8},
    {"сентябрь", 9},   {"сентября", 9},   {"октябрь", 10},  {"октября", 10},     {"ноябрь", 11},
    {"ноября", 11},    {"декабрь", 12},   {"декабря", 12},  {"január", 1},       {"február", 2},
    {"március", 3},    {"április", 4},    {"május", 5},     {"június", 6},       {"július", 7},
    {"augusztus", 8},  {"szeptember", 9}, {"október", 10},
});

// Lower case for ASCII, the Latin-1 letters and Cyrillic; other bytes are kept.
std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const auto byte = static_cast<unsigned char>(lower[i]);
        if (byte >= 'A' && byte <= 'Z') {
            lower[i] = static_cast<char>(byte + 32);
        } else if (i + 1 < lower.size()) {
            const auto next = static_cast<unsigned char>(lower[i + 1]);
            if (byte == 0xC3 && next >= 0x80 && next <= 0x9E && next != 0x97) {
                lower[i + 1] = static_cast<char>(next + 0x20);
            } else if (byte == 0xD0 && next >= 0x90 && next <= 0x9F) {
                lower[i + 1] = static_cast<char>(next + 0x20);
            } else if (byte == 0xD0 && next >= 0xA0 && next <= 0xAF) {
                lower[i] = static_cast<char>(0xD1);
                lower[i + 1] = static_cast<char>(next - 0x20);
            }
            if (byte >= 0xC0)
                ++i;
        }
    }
    return lower;
}

std::size_t letterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

} // namespace

int MonthNames::number(std::string_view text) {
    if (!text.empty() && text.back() == ',')
        text.remove_suffix(1);
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1);
    if (text.size() < 3 || text.size() > 26 || (text[0] >= '0' && text[0] <= '9'))
        return 0;
    const std::string lower = lowerCase(text);
    if (letterCount(lower) < 3)
        return 0;
    // Owner and group names reach here for every listing line: the first byte turns most away cheaply.
    for (const MonthName& name : kNames)
        if (name.text[0] == lower[0] && name.text.starts_with(lower))
            return name.month;
    return 0;
}

} // namespace tovo::ftp

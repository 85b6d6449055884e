#pragma once
// Turns directory listings into entries: MLSD fact lines, and the LIST forms servers send (Unix
// "ls -l" in its many local forms, DOS/IIS, EPLF, VMS). Lines it cannot read are skipped, and so
// are entries named ".", ".." or with a "/" or a NUL in the name.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovo::ftp {

// The longest name an entry carries; a longer one is no real name and its line is skipped.
inline constexpr std::size_t kMaxNameBytes = 4095;

struct ListingEntry {
    std::string name;
    bool directory = false;
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified; // seconds since 1970-01-01, as the server gives the time
};

class ListingParser {
public:
    // now (seconds since 1970) places Unix dates that carry a time of day instead of a year: such a
    // date lies within the year before now.
    static std::optional<ListingEntry> parseListLine(std::string_view line, std::int64_t now);
    // One MLSD line; nothing for the "cdir" and "pdir" entries.
    static std::optional<ListingEntry> parseMlsdLine(std::string_view line);
    // Every line of a listing (LF or CR LF ends), through a ListingReader and its limits.
    static std::vector<ListingEntry> parse(std::string_view listing, bool mlsd, std::int64_t now);

private:
    static std::optional<ListingEntry> parseListForms(std::string_view line, std::int64_t now);
    static std::optional<ListingEntry> parseUnix(std::string_view line, std::int64_t now);
    static std::optional<ListingEntry> parseDos(std::string_view line);
    static std::optional<ListingEntry> parseEplf(std::string_view line);
    static std::optional<ListingEntry> parseVms(std::string_view line);
};

} // namespace tovo::ftp

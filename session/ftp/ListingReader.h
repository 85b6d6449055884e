#pragma once
// Reads a listing as it arrives, chunk by chunk, and keeps its entries within fixed bounds: however
// many or long the lines a server sends, only the entries kept count against memory.

#include "session/ftp/ListingParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovo::ftp {

class ListingReader {
public:
    static constexpr std::size_t kMaxEntries = 1'000'000;
    // Entries kept, names included; with the work lists' own overhead this keeps a listing's peak
    // well under half a gigabyte.
    static constexpr std::size_t kMaxKeptBytes = 192u * 1024 * 1024;
    // No real line is longer: the longest name plus its columns. Longer lines are skipped whole.
    static constexpr std::size_t kMaxLineBytes = kMaxNameBytes + 1024;

    ListingReader(bool mlsd, std::int64_t now) : m_mlsd(mlsd), m_now(now) {}

    void feed(std::string_view bytes);
    void finish(); // the last line may lack its line end
    std::vector<ListingEntry> takeEntries() { return std::move(m_entries); }
    // Entries the server sent beyond the limits.
    std::size_t dropped() const { return m_dropped; }

private:
    void takeLine(std::string_view line);

    bool m_mlsd;
    std::int64_t m_now;
    std::string m_partial;   // the start of a line split between chunks
    bool m_overlong = false; // the current line passed kMaxLineBytes: skip to its end
    std::vector<ListingEntry> m_entries;
    std::size_t m_keptBytes = 0;
    std::size_t m_dropped = 0;
};

} // namespace tovo::ftp

#pragma once
// Reads a listing as it arrives, chunk by chunk, and keeps its entries within fixed bounds: however
// many or long the lines a server sends, only the entries kept count against memory, and a listing
// that never ends is cut once enough has been kept or read.

#include "session/ftp/ListingParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovo::ftp {

class ListingReader {
public:
    struct Limits {
        std::size_t entries = 1'000'000;
        // Entries kept, names included; with the work lists' own overhead this keeps a listing's
        // peak well under half a gigabyte.
        std::size_t keptBytes = 192u * 1024 * 1024;
        // What a server may send in all, entries or not.
        std::size_t lines = 2'000'000;
        std::size_t readBytes = 512u * 1024 * 1024;
        bool operator==(const Limits&) const = default;
    };
    // Those of every listing read; tests lower them so that reaching them takes no half gigabyte.
    static Limits& limits();
    // No real line is longer: the longest name plus its columns. Longer lines are skipped whole.
    static constexpr std::size_t kMaxLineBytes = kMaxNameBytes + 1024;

    ListingReader(bool mlsd, std::int64_t now) : m_mlsd(mlsd), m_now(now) {}

    // Takes nothing more once full().
    void feed(std::string_view bytes);
    void finish(); // the last line may lack its line end
    std::vector<ListingEntry> takeEntries() { return std::move(m_entries); }
    // A limit was reached: the rest of the listing is not wanted, and how much of it there is is
    // not known.
    bool full() const { return m_full; }

private:
    void takeLine(std::string_view line);

    bool m_mlsd;
    std::int64_t m_now;
    std::string m_partial;   // the start of a line split between chunks
    bool m_overlong = false; // the current line passed kMaxLineBytes: skip to its end
    std::vector<ListingEntry> m_entries;
    std::size_t m_keptBytes = 0;
    std::size_t m_lines = 0;
    std::size_t m_readBytes = 0;
    bool m_full = false;
};

} // namespace tovo::ftp

#include "session/ftp/ListingReader.h"

namespace tovo::ftp {

ListingReader::Limits& ListingReader::limits() {
    static Limits current;
    return current;
}

void ListingReader::feed(std::string_view bytes) {
    const std::size_t room = m_full ? 0 : limits().readBytes - m_readBytes;
    const bool lastBytes = bytes.size() > room;
    bytes = bytes.substr(0, room);
    m_readBytes += bytes.size();
    while (!bytes.empty() && !m_full) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (!m_overlong && m_partial.size() + piece.size() > kMaxLineBytes) {
            m_overlong = true;
            m_partial.clear();
            m_partial.shrink_to_fit();
        }
        if (end == std::string_view::npos) {
            if (!m_overlong)
                m_partial.append(piece);
            break;
        }
        if (++m_lines > limits().lines) {
            m_full = true;
            break;
        }
        if (m_overlong) {
            m_overlong = false;
        } else if (m_partial.empty()) {
            takeLine(piece);
        } else {
            m_partial.append(piece);
            takeLine(m_partial);
            m_partial.clear();
        }
    }
    m_full = m_full || lastBytes;
}

void ListingReader::finish() {
    if (!m_full && !m_overlong && !m_partial.empty())
        takeLine(m_partial);
    m_partial.clear();
    m_overlong = false;
}

void ListingReader::takeLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    auto entry = m_mlsd ? ListingParser::parseMlsdLine(line) : ListingParser::parseListLine(line, m_now);
    // The parser has already dropped the folder itself, its parent and names no path may hold.
    if (!entry || entry->name.empty() || entry->name.size() > kMaxNameBytes)
        return;
    // A name beyond the string's own small buffer costs a heap block of its own.
    const std::size_t cost = sizeof(ListingEntry) + (entry->name.size() >= 16 ? entry->name.size() + 32 : 0);
    if (m_entries.size() >= limits().entries || m_keptBytes + cost > limits().keptBytes) {
        m_full = true;
        return;
    }
    m_keptBytes += cost;
    m_entries.push_back(std::move(*entry));
}

} // namespace tovo::ftp

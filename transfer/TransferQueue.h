#pragma once
// The transfer queue: its files as plain data, and the pure rules of which rows may be queued and
// the size a row carries.

#include <cstdint>
#include <string>
#include <vector>

// Small icons of the remote list that mark rows which are not files.
inline constexpr int FolderIcon = 12;
inline constexpr int ParentFolderIcon = 19;
inline constexpr const char* ParentFolderText = ".^.";

// A remote row is downloadable when it is a file: neither a folder nor the parent-folder row.
bool IsDownloadableRow(const std::string& text, int smallIcon);

// The exact size from a row's hidden size column: leading decimal digits, 0 when there are none.
std::int64_t QueuedSizeFromText(const std::string& text);

// total + bytes for byte counts and queue totals: stops at the greatest count instead of wrapping
// round to a negative one (sizes come from the server and may be anything).
std::int64_t AddBytes(std::int64_t total, std::int64_t bytes);

// Whether a server's refusal to open a file (its last reply, lines joined by '\n') concerns that
// file alone, so the rest of a queue can go on: a 4xx or 5xx reply, except 421, which closes the
// session. No reply at all means the session is gone.
bool RefusesOnlyThisFile(const std::string& reply);

// One file of a queue: the name as the pane's entry holds it (bytes, sent and opened unchanged) and
// the size it listed.
struct QueuedFile {
    std::string name;
    std::int64_t size = 0;
};

// The files of one transfer in the order they go, and their total (saturating like AddBytes).
class TransferQueue {
public:
    void add(std::string name, std::int64_t size);
    void clear();
    const std::vector<QueuedFile>& files() const { return m_files; }
    std::int64_t total() const { return m_total; }

private:
    std::vector<QueuedFile> m_files;
    std::int64_t m_total = 0;
};

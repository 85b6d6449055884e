#pragma once
// Pure rules of the transfer queue: which rows may be queued and the size a row carries.

#include <cstdint>
#include <string>

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

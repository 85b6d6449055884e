#pragma once
// Pure rules of the transfer queue: which rows may be queued, the size a row carries, and which names
// may be written into the local folder.

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

// total + size, held at the int64 limits: a hostile listing may give sizes whose sum overflows.
std::int64_t AddSaturating(std::int64_t total, std::int64_t size);

// A name can be written into the local folder only when it names an entry inside it.
bool IsSafeLocalName(const std::string& name);

// total + bytes for byte counts and queue totals: stops at the greatest count instead of wrapping
// round to a negative one (sizes come from the server and may be anything).
std::int64_t AddBytes(std::int64_t total, std::int64_t bytes);

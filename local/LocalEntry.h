#pragma once
// One file of the local list as the pane holds it: the name as the disk's bytes (shown with
// replacement characters where they are not UTF-8, opened unchanged), its size and time.

#include <cstdint>
#include <string>

struct LocalEntry {
    std::string name;          // bytes as read from the folder, never re-encoded
    std::int64_t size = 0;     // bytes
    std::int64_t modified = 0; // seconds since 1970 (UTC)
};

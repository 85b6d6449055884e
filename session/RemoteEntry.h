#pragma once
// One entry of the remote listing as the pane holds it: the name as the server's bytes (shown with
// replacement characters where they are not UTF-8, sent back unchanged), its size and time.

#include <cstdint>
#include <optional>
#include <string>

struct RemoteEntry {
    std::string name;                     // bytes as listed, never re-encoded
    std::int64_t size = 0;                // bytes
    std::optional<std::int64_t> modified; // seconds since 1970 (UTC), when the listing gave a time
    bool folder = false;
};

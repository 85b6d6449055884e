#pragma once
// The drives of the local pane: the mounted file systems a user would pick (the root, home folders,
// removable media), read from the kernel's mount table.

#include <string>
#include <vector>

// The mount points worth offering, "/" first, then in the table's order, each once. `table` is text
// in the format of /proc/self/mounts; `home` is the user's home folder.
std::vector<std::string> DrivesFromMountTable(const std::string& table, const std::string& home);

// The text of /proc/self/mounts ("" when it cannot be read).
std::string ReadMountTable();

// The drive (one of `drives`) that holds `path`: the longest mount point that is `path` itself or
// one of its parent folders; "" when none does.
std::string DriveOfPath(const std::vector<std::string>& drives, const std::string& path);

// True when `path` is `folder` or lies below it.
bool PathIsWithin(const std::string& path, const std::string& folder);

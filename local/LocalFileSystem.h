#pragma once
// The local disk operations of the local pane: enumerating a folder, entering, renaming without
// replacing, making and deleting. Each operation answers 0 or the system's error number.

#include <cstdint>
#include <string>
#include <vector>

struct LocalFileEntry {
    std::string name;
    std::int64_t size = 0;     // bytes
    std::int64_t modified = 0; // last write, seconds since 1970 (UTC)
};

// The plain files of a folder (links to files count as files) with their size and date, hidden
// (dot) files left out, in name order without regard to case.
std::vector<LocalFileEntry> ListPlainFiles(const std::string& folder);

// The subfolders of a folder (links to folders included), hidden ones left out, in name order.
std::vector<std::string> ListSubfolders(const std::string& folder);

// 0 when the folder exists and may be listed and entered.
int CanEnterFolder(const std::string& folder);
// The folder itself or the nearest folder above it that can be entered ("/" at the last).
std::string NearestEnterableFolder(const std::string& folder);

// A name that stays inside its folder: not empty, not "." or "..", no "/" and no NUL.
bool IsValidEntryName(const std::string& name);

// Renames a file or folder; an existing entry at `to` is never replaced (EEXIST).
int RenameNoReplace(const std::string& from, const std::string& to);

int MakeFolder(const std::string& path);
// Deletes one file (never a folder).
int DeleteLocalFile(const std::string& path);
// Removes a folder only when it is empty. A link to a folder removes the folder it leads to, as
// deleting that folder would (the link is left).
int RemoveEmptyFolder(const std::string& path);

// The system's wording for an error number, as the message's cause line.
std::string LocalErrorText(int error);

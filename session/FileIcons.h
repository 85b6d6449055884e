#pragma once
// Small icons of both file lists: the 1-based image index in ImageList6 for a file name, chosen by
// its extension, and the fixed indices of folders and the parent row.

#include <string>

inline constexpr int FolderIcon = 12;
inline constexpr int ParentRowIcon = 19;
inline constexpr int GenericFileIcon = 15;

// The text after the last "." of the name; the whole name when it has no ".".
std::string FileExtension(const std::string& name);
// Image index for a file row (never FolderIcon or ParentRowIcon).
int IconIndexForName(const std::string& name);

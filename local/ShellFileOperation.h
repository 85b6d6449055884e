#pragma once
// Renames one entry of a local folder the way the file manager does it: never onto an existing
// entry, and with an error dialog of its own when the rename is refused.

#include <QString>
#include <string>

class ShellFileOperation {
public:
    // Renames folder/oldName to folder/newName; the folder and the old name are the disk's bytes, so
    // that a name that is not UTF-8 is found. On refusal (an invalid or taken name, a missing entry,
    // no permission) shows the error dialog, changes nothing and returns false.
    static bool Rename(const std::string& folder, const std::string& oldName, const QString& newName);
};

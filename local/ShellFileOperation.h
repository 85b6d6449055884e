#pragma once
// Renames one entry of a local folder the way the file manager does it: never onto an existing
// entry, and with an error dialog of its own when the rename is refused.

#include <QString>

class ShellFileOperation {
public:
    // Renames folder/oldName to folder/newName. On refusal (an invalid or taken name, a missing
    // entry, no permission) shows the error dialog, changes nothing and returns false.
    static bool Rename(const QString& folder, const QString& oldName, const QString& newName);
};

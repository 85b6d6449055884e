#pragma once
// The small-icon table of both file lists: the image list index for a file name, chosen by the
// name's extension.

#include <string>

// The index into the file lists' image list (1-based) for a file name: the extension after the last
// "." (a name without "." counts whole), compared without regard to case; 15 when no group has it.
int IconIndexForName(const std::string& name);

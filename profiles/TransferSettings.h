#pragma once
// The Transfer menu's settings, kept in a file of their own beside Profile.ini: one [Transfer]
// section with WhenExists and KeepTimes, written as safely as the profiles.

#include "transfer/ExistsPolicy.h"

#include <string>

// The settings in the file; a missing file, key or a value not understood reads as the default.
TransferOptions ReadTransferSettings(const std::string& path);
// False when the file could not be written (it is then as it was), with the reason in *error.
bool WriteTransferSettings(const std::string& path, const TransferOptions& options,
                           std::string* error = nullptr);

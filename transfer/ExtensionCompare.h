#pragma once
// Transfer type per file: ASCII for a fixed list of text extensions, binary for everything else.

#include "session/WinInetAPI.h"

#include <cstdint>
#include <string>

// Type of the file most recently opened through the mode logic: 1 ASCII, 2 binary.
extern std::int32_t CurrentTransferType;

// 1 when the name's extension (everything after its first dot) is a text extension, else 2.
int TransferTypeForName(const std::string& fileName);
// Opens a remote file for reading in the type its name calls for; 0 on failure.
HINTERNET OpenRemoteFileAuto(const std::string& fileName, const std::string& remotePath);

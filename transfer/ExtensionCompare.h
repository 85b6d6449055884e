#pragma once
// Transfer type per file: ASCII for a fixed list of text extensions, binary for everything else;
// and the choice of type from the transfer mode the user picked.

#include "session/WinInetAPI.h"

#include <cstdint>
#include <string>

// Type of the file most recently opened through the mode logic: 1 ASCII, 2 binary.
extern std::int32_t CurrentTransferType;

// The three option buttons of the main window.
enum class TransferMode { Auto, Ascii, Binary };

// 1 when the name's extension (everything after its first dot) is a text extension, else 2.
int TransferTypeForName(const std::string& fileName);
// The type a file is opened with: the extension decides in Auto mode, else the mode itself.
int TransferTypeForMode(TransferMode mode, const std::string& fileName);
// Opens a remote file for reading in the type its name calls for; 0 on failure.
HINTERNET OpenRemoteFileAuto(const std::string& fileName, const std::string& remotePath);

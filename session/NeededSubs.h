#pragma once
// Session routines shared by the main window and the connect dialog: connect, read the server's
// directory, list the remote pane, open the command line.

#include "session/WinInetAPI.h"

#include <cstddef>
#include <string>

class frmMain;

void ConnectToServer(frmMain& form);
// The server's current directory ending with "/", or "" on failure.
std::string GetRemoteDirectory(HINTERNET connection);
// A new connection handle for one listing (sharing the session's login), or 0.
HINTERNET OpenListingConnection();
void ListRemoteFiles(frmMain& form);
void FillRemoteList(frmMain& form);
// Tells in the status bar that a listing was cut at its limits, and takes that note away again at
// the next listing shown whole.
void ShowListingLimit(frmMain& form, std::size_t shown, bool cut);
void OpenCommandChannel(frmMain& form);

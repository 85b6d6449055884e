#pragma once
// Session routines shared by the main window and the connect dialog: connect, read the server's
// directory, list the remote pane, open the command line.

#include "session/WinInetAPI.h"

#include <string>

class frmMain;

void ConnectToServer(frmMain& form);
// The server's current directory ending with "/", or "" on failure.
std::string GetRemoteDirectory(HINTERNET connection);
// A new connection handle for one listing (sharing the session's login), or 0.
HINTERNET OpenListingConnection();
void ListRemoteFiles(frmMain& form);
void FillRemoteList(frmMain& form);
void OpenCommandChannel(frmMain& form);

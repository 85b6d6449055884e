#pragma once
// Session routines shared by the main window and the connect dialog: connect, read the server's
// directory, list the remote pane, open the command line.

#include "session/WinInetAPI.h"

#include <QString>
#include <cstddef>
#include <string>

class frmMain;

void ConnectToServer(frmMain& form);
// Closes the session and its command line and puts the window into its one not-connected state:
// Connect shown, Disconnect hidden, the status panels saying so, no listing.
void EndSession(frmMain& form);
// When the session's server connection has gone (closed, reset, timed out): says so, ends the
// session and returns true. False while it lives, and when there is no session.
bool SessionLost(frmMain& form);
// True when the window knows the server's current folder; otherwise says that it does not.
bool RemoteFolderKnown(const frmMain& form);
// After a command the server refused: when the session has gone, ends it as SessionLost does and
// returns false; otherwise shows text with the server's reply on a line of its own, returns true.
bool ReportRefusal(frmMain& form, const QString& text, int style, const QString& title);
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

#pragma once
// Session routines of the remote pane and the listing benchmarks: a login on the session's server,
// the server's current folder, a connection of its own for one listing.

#include "session/WinInetAPI.h"

#include <cstdint>
#include <string>

// A connection to the session's server with its login, or 0. An SFTP session always connects over
// SFTP; otherwise service says how (INTERNET_SERVICE_FTP or _HTTP).
HINTERNET ConnectSession(std::uint32_t service);
// The server's current directory ending with "/", or "" on failure.
std::string GetRemoteDirectory(HINTERNET connection);
// A new connection handle for one listing (sharing the session's login), or 0.
HINTERNET OpenListingConnection();
// How often an idle session and the command line say NOOP, so that servers and routers do not drop
// them: a minute, unless a test shortens it. Timers started later take the new value.
inline constexpr int kKeepAliveIntervalMs = 60'000;
int KeepAliveIntervalMs();
void SetKeepAliveIntervalMs(int milliseconds);

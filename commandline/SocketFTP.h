#pragma once
// The command line's FTP dialogue on its own control connection: connect and greet, log in, send a
// command, read a possibly multi-line reply; everything said goes into the transcript.

#include <cstdint>
#include <string>

class CommandSocket;
class CommandLineView;

// A server's line as the transcript shows it: control characters (CR, ESC, NUL, line separators,
// direction overrides) as escapes such as \x0D or \u202E, so the server cannot fake lines of its own.
std::string VisibleText(const std::string& line);
// A command as the transcript shows it: any PASS command as "PASS ****".
std::string TranscriptText(const std::string& command);
// The command line talks to the session's own port when the session is FTP, else to port 21.
int CommandLinePort(int sessionPort, std::uint32_t service);

bool ConnectCommandSocket(CommandSocket& socket, CommandLineView& view, const std::string& hostName, int port,
                          int timeoutMs);
// AUTH TLS and the handshake, before anything of the login is sent; the certificate decision is
// the session's (AcceptServerCertificate for this port).
bool SecureCommandChannel(CommandSocket& socket, CommandLineView& view, int port);
bool LoginCommandChannel(CommandSocket& socket, CommandLineView& view, const std::string& user,
                         const std::string& password);
bool SendCommandLine(CommandSocket& socket, CommandLineView& view, const std::string& text);
// The reply's code, or 0 when the connection closed or timed out before the reply was complete or the
// reply ran past the FTP layer's line limit; the connection is then dropped.
std::int16_t ReadReply(CommandSocket& socket, CommandLineView& view);
// Between commands, without waiting: what the server said goes into the transcript, and when it has
// closed the connection, the connection is closed here too and the view told.
void ReadServerLines(CommandSocket& socket, CommandLineView& view);

// Between commands: NOOP and its reply, kept out of the transcript, so that the server does not drop
// an idle command line. Sends nothing while a command awaits its reply. False when the connection
// has gone (it is then closed and the view told).
bool KeepCommandChannelAlive(CommandSocket& socket, CommandLineView& view);

enum class CommandChannelResult { SessionNotConnected, NoCommandLine, LoginFailed, LoggedIn };

// The command line's part of every connect: close an open command connection, then connect, greet
// and log in when the session itself is connected; secure: over TLS, or not at all. The caller
// reports the result.
CommandChannelResult RunCommandChannel(CommandSocket& socket, CommandLineView& view, bool sessionConnected,
                                       const std::string& server, int port, const std::string& user,
                                       const std::string& password, int timeoutMs, bool secure = false);

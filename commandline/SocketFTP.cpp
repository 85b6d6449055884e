#include "commandline/SocketFTP.h"

#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "session/WinInetAPI.h"
#include "session/ftp/ControlConnection.h"
#include "session/ftp/FtpReply.h"
#include "session/ftp/HostResolver.h"

#include <cstdio>

using tovo::ftp::ControlConnection;
using tovo::ftp::FtpReply;

namespace {

constexpr std::uint32_t kServiceFtp = 1;
const std::string kLineEnd = "\r\n";

void AppendLine(CommandLineView& view, const std::string& line) {
    view.AppendTranscript(line + kLineEnd, CommandLineView::Black, false);
}

void AppendServerHeader(CommandLineView& view) {
    view.AppendTranscript(kLineEnd + "Server: " + kLineEnd, CommandLineView::Red, true);
}

// Code points that move the caret or turn the text around: shown, the server's text could pass
// for lines of its own or for ours.
bool IsHiddenControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Word of the connection reaches the window; the keep-alive's exchange stays out of the transcript.
class ConnectionOnlyView : public CommandLineView {
public:
    explicit ConnectionOnlyView(CommandLineView& view) : m_view(view) {}
    void AppendTranscript(const std::string&, std::uint32_t, bool) override {}
    void ShowMessage(const std::string& text) override { m_view.ShowMessage(text); }
    void WatchConnection(int descriptor) override { m_view.WatchConnection(descriptor); }
    void ConnectionClosed() override { m_view.ConnectionClosed(); }

private:
    CommandLineView& m_view;
};

// Without its whole reply the dialogue is out of step: the connection is of no further use.
std::int16_t AbandonReply(CommandSocket& socket, CommandLineView& view) {
    socket.SetAwaitingReply(false);
    const bool peerClosed = socket.PeerClosed();
    socket.Disconnect();
    view.WatchConnection(-1);
    if (peerClosed)
        view.ConnectionClosed();
    return 0;
}

} // namespace

std::string VisibleText(const std::string& line) {
    std::string shown;
    for (std::size_t at = 0; at < line.size();) {
        const auto lead = static_cast<unsigned char>(line[at]);
        // Only the two- and three-byte forms hold the characters looked for.
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 1;
        char32_t c = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        bool whole = at + length <= line.size();
        for (std::size_t i = 1; whole && i < length; ++i) {
            const auto next = static_cast<unsigned char>(line[at + i]);
            whole = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!whole || c == '\t' || !IsHiddenControl(c) || (length == 1 && lead >= 0x80)) {
            shown.append(line, at, whole ? length : 1);
            at += whole ? length : 1;
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, c < 0x80 ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(c));
        shown += escape;
        at += length;
    }
    return shown;
}

std::string TranscriptText(const std::string& command) {
    // The transcript may be on screen or copied out: a password never shows there.
    const bool password = command.size() >= 4 && (command[0] | 0x20) == 'p' && (command[1] | 0x20) == 'a' &&
                          (command[2] | 0x20) == 's' && (command[3] | 0x20) == 's' &&
                          (command.size() == 4 || command[4] == ' ');
    return password ? "PASS ****" : command;
}

int CommandLinePort(int sessionPort, std::uint32_t service) {
    if (service == kServiceFtp && sessionPort >= 1 && sessionPort <= 65535)
        return sessionPort;
    return 21;
}

bool SendCommandLine(CommandSocket& socket, CommandLineView& view, const std::string& text) {
    // A line break would let a user name or password smuggle in further commands.
    if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    view.AppendTranscript(kLineEnd + "Client: " + kLineEnd, CommandLineView::Blue, true);
    AppendLine(view, TranscriptText(text));
    const bool sent = socket.Send(text + kLineEnd) != -1;
    socket.SetAwaitingReply(sent);
    return sent;
}

std::int16_t ReadReply(CommandSocket& socket, CommandLineView& view) {
    // One time-out for the whole reply: a server adding a line every few seconds cannot hold us.
    const tovo::ftp::Deadline deadline(socket.TimeoutMs());
    bool ok = false;
    const std::string first = socket.ReceiveLine(ok, deadline);
    if (!ok)
        return AbandonReply(socket, view);
    AppendServerHeader(view);
    AppendLine(view, VisibleText(first));
    const auto code = static_cast<std::int16_t>(FtpReply::leadingCode(first));
    if (!FtpReply::opensMultiLine(first)) {
        socket.SetAwaitingReply(false);
        return code;
    }
    std::string line;
    std::size_t lines = 1;
    do {
        // A connection that ends before the closing line leaves the reply unfinished; so does a
        // flood of more lines than any reply needs.
        line = socket.ReceiveLine(ok, deadline);
        if (!ok || ++lines > ControlConnection::kMaxReplyLines)
            return AbandonReply(socket, view);
        AppendLine(view, VisibleText(line));
    } while (!FtpReply::endsReply(line, FtpReply::codeOf(first)));
    socket.SetAwaitingReply(false);
    return code;
}

bool KeepCommandChannelAlive(CommandSocket& socket, CommandLineView& view) {
    if (!socket.IsConnected() || socket.AwaitingReply())
        return socket.IsConnected();
    ConnectionOnlyView quiet(view);
    if (SendCommandLine(socket, quiet, "NOOP")) {
        const std::int16_t code = ReadReply(socket, quiet);
        if (code == 0 && !socket.IsConnected())
            return false; // ReadReply has dropped it and told the view
        // A 421 says the server is about to hang up.
        if (code != 0 && code != 421)
            return true;
    }
    socket.Disconnect();
    view.WatchConnection(-1);
    view.ConnectionClosed();
    return false;
}

void ReadServerLines(CommandSocket& socket, CommandLineView& view) {
    bool ok = false;
    std::string line = socket.ReceiveLine(ok, tovo::ftp::Deadline(0));
    if (ok)
        AppendServerHeader(view);
    for (std::size_t lines = 0; ok && lines < ControlConnection::kMaxReplyLines; ++lines) {
        AppendLine(view, VisibleText(line));
        line = socket.ReceiveLine(ok, tovo::ftp::Deadline(0));
    }
    if (socket.PeerClosed() || !socket.IsConnected()) {
        const bool peerClosed = socket.PeerClosed();
        socket.Action(CommandSocket::CloseCommand);
        view.WatchConnection(-1);
        if (peerClosed)
            view.ConnectionClosed();
    }
}

bool ConnectCommandSocket(CommandSocket& socket, CommandLineView& view, const std::string& hostName, int port,
                          int timeoutMs) {
    if (hostName.empty())
        return false;
    socket.SetHostName(hostName);
    socket.SetRemotePort(port);
    socket.SetBufferLength(1024);
    socket.SetTimeoutMs(timeoutMs);
    if (socket.Connect() != 0) {
        view.ShowMessage("Not connected ");
        return false;
    }
    if (ReadReply(socket, view) == 220)
        return true;
    socket.Disconnect();
    return false;
}

bool SecureCommandChannel(CommandSocket& socket, CommandLineView& view, int port) {
    if (!SendCommandLine(socket, view, "AUTH TLS") || ReadReply(socket, view) != 234) {
        socket.Disconnect();
        return false;
    }
    return socket.StartTls(
        [port](const ServerCertificate& certificate) { return AcceptServerCertificate(certificate, port); });
}

bool LoginCommandChannel(CommandSocket& socket, CommandLineView& view, const std::string& user,
                         const std::string& password) {
    if (!SendCommandLine(socket, view, "USER " + user)) {
        view.ShowMessage("FTP Login Error 101");
        return false;
    }
    std::int16_t code = ReadReply(socket, view);
    if (code == 331) {
        if (!SendCommandLine(socket, view, "PASS " + password)) {
            view.ShowMessage("FTP Login Error 102");
            return false;
        }
        code = ReadReply(socket, view);
    }
    return code == 230;
}

CommandChannelResult RunCommandChannel(CommandSocket& socket, CommandLineView& view, bool sessionConnected,
                                       const std::string& server, int port, const std::string& user,
                                       const std::string& password, int timeoutMs, bool secure) {
    const std::string hostName = tovo::ftp::HostResolver::hostName(server);
    view.WatchConnection(-1);
    if (socket.IsConnected())
        socket.Action(CommandSocket::CloseCommand);
    if (!sessionConnected)
        return CommandChannelResult::SessionNotConnected;
    if (!ConnectCommandSocket(socket, view, hostName, port, timeoutMs) ||
        (secure && !SecureCommandChannel(socket, view, port)))
        return CommandChannelResult::NoCommandLine;
    const bool loggedIn = LoginCommandChannel(socket, view, user, password);
    // From here the server speaks only unasked: a goodbye before it hangs up.
    if (socket.IsConnected())
        view.WatchConnection(socket.Descriptor());
    return loggedIn ? CommandChannelResult::LoggedIn : CommandChannelResult::LoginFailed;
}

#include "commandline/SocketFTP.h"

#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "session/WinInetAPI.h"
#include "session/ftp/FtpReply.h"

using tovo::ftp::FtpReply;

namespace {

constexpr std::uint32_t kServiceFtp = 1;
const std::string kLineEnd = "\r\n";

std::string TrimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void AppendLine(CommandLineView& view, const std::string& line) {
    view.AppendTranscript(line + kLineEnd, CommandLineView::Black, false);
}

} // namespace

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
    return socket.Send(text + kLineEnd) != -1;
}

std::int16_t ReadReply(CommandSocket& socket, CommandLineView& view) {
    // One time-out for the whole reply: a server adding a line every few seconds cannot hold us.
    const tovo::ftp::Deadline deadline(socket.TimeoutMs());
    bool ok = false;
    const std::string first = socket.ReceiveLine(ok, deadline);
    if (!ok)
        return 0;
    view.AppendTranscript(kLineEnd + "Server: " + kLineEnd, CommandLineView::Red, true);
    AppendLine(view, first);
    const auto code = static_cast<std::int16_t>(FtpReply::leadingCode(first));
    if (!FtpReply::opensMultiLine(first))
        return code;
    std::string line;
    do {
        // A connection that ends before the closing line leaves the reply unfinished.
        line = socket.ReceiveLine(ok, deadline);
        if (!ok)
            return 0;
        AppendLine(view, line);
    } while (!FtpReply::endsReply(line, FtpReply::codeOf(first)));
    return code;
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
    const std::string hostName = TrimBlanks(server);
    if (socket.IsConnected())
        socket.Action(CommandSocket::CloseCommand);
    if (!sessionConnected)
        return CommandChannelResult::SessionNotConnected;
    if (!ConnectCommandSocket(socket, view, hostName, port, timeoutMs) ||
        (secure && !SecureCommandChannel(socket, view, port)))
        return CommandChannelResult::NoCommandLine;
    if (!LoginCommandChannel(socket, view, user, password))
        return CommandChannelResult::LoginFailed;
    return CommandChannelResult::LoggedIn;
}

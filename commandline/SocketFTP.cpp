#include "commandline/SocketFTP.h"

#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "session/WinInetAPI.h"

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

std::int16_t ReplyCode(const std::string& line) {
    std::int16_t code = 0;
    for (std::size_t i = 0; i < 3 && i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        code = static_cast<std::int16_t>(code * 10 + (line[i] - '0'));
    return code;
}

bool EndsMultiLineReply(const std::string& firstLine, const std::string& line) {
    return line.size() >= 4 && firstLine.size() >= 3 && line.compare(0, 3, firstLine, 0, 3) == 0 &&
           line[3] == ' ';
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
    AppendLine(view, text);
    return socket.Send(text + kLineEnd) != -1;
}

std::int16_t ReadReply(CommandSocket& socket, CommandLineView& view) {
    bool ok = false;
    const std::string first = socket.ReceiveLine(ok);
    if (!ok)
        return 0;
    view.AppendTranscript(kLineEnd + "Server: " + kLineEnd, CommandLineView::Red, true);
    AppendLine(view, first);
    const std::int16_t code = ReplyCode(first);
    if (first.size() < 4 || first[3] != '-')
        return code;
    std::string line;
    do {
        // A connection that ends before the closing line leaves the reply unfinished.
        line = socket.ReceiveLine(ok);
        if (!ok)
            return 0;
        AppendLine(view, line);
    } while (!EndsMultiLineReply(first, line));
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

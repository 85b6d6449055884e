#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QtTest>

namespace {

constexpr int kTimeoutMs = 400;

struct Piece {
    std::string text;
    std::uint32_t rgb;
    bool bold;
};

class RecordingView : public CommandLineView {
public:
    void AppendTranscript(const std::string& text, std::uint32_t rgb, bool bold) override {
        pieces.push_back({text, rgb, bold});
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::string Text() const {
        std::string all;
        for (const Piece& piece : pieces)
            all += piece.text;
        return all;
    }
    int Count(const std::string& header) const {
        int count = 0;
        for (const Piece& piece : pieces)
            count += piece.text == "\r\n" + header + "\r\n" ? 1 : 0;
        return count;
    }

    std::vector<Piece> pieces;
    std::vector<std::string> messages;
};

QStringList Commands(const ScriptedFtpServer& server) {
    QStringList list;
    for (const std::string& command : server.commands())
        list << QString::fromStdString(command);
    return list;
}

CommandChannelResult Run(CommandSocket& socket, RecordingView& view, int port,
                         const std::string& user = "anna", const std::string& password = "pw") {
    return RunCommandChannel(socket, view, true, "127.0.0.1", port, user, password, kTimeoutMs);
}

} // namespace

class SocketFTPTest : public QObject {
    Q_OBJECT
    // Fresh for every test function.
    CommandSocket socket;
    RecordingView view;

private slots:
    void init() {
        socket.Disconnect();
        view = RecordingView();
    }

    void replyCode_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("code");
        QTest::newRow("plain") << QByteArray("220 ready") << 220;
        QTest::newRow("multi-line start") << QByteArray("331-more") << 331;
        QTest::newRow("bare code") << QByteArray("230") << 230;
        QTest::newRow("two digits") << QByteArray("22") << 22;
        QTest::newRow("digits stop at a letter") << QByteArray("2x0 odd") << 2;
        QTest::newRow("only the first three") << QByteArray("1234 x") << 123;
        QTest::newRow("leading blank") << QByteArray(" 220 x") << 0;
        QTest::newRow("text") << QByteArray("hello") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
    }
    void replyCode() {
        QFETCH(QByteArray, line);
        QFETCH(int, code);
        QCOMPARE(int(ReplyCode(line.toStdString())), code);
    }

    void endsMultiLineReply_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("ends");
        QTest::newRow("code and blank") << QByteArray("220 done") << true;
        QTest::newRow("code and blank, nothing after") << QByteArray("220 ") << true;
        QTest::newRow("code and hyphen") << QByteArray("220-still going") << false;
        QTest::newRow("other code") << QByteArray("221 done") << false;
        QTest::newRow("indented") << QByteArray(" 220 done") << false;
        QTest::newRow("code alone") << QByteArray("220") << false;
        QTest::newRow("text") << QByteArray("some text") << false;
    }
    void endsMultiLineReply() {
        QFETCH(QByteArray, line);
        QFETCH(bool, ends);
        QCOMPARE(EndsMultiLineReply("220-Welcome", line.toStdString()), ends);
    }

    void commandLinePort_data() {
        QTest::addColumn<int>("sessionPort");
        QTest::addColumn<int>("service");
        QTest::addColumn<int>("port");
        QTest::newRow("ftp on its own port") << 2121 << 1 << 2121;
        QTest::newRow("ftp on 21") << 21 << 1 << 21;
        QTest::newRow("ftp default port 0") << 0 << 1 << 21;
        QTest::newRow("ftp port out of range") << 70000 << 1 << 21;
        QTest::newRow("ftp negative port") << -1 << 1 << 21;
        QTest::newRow("http") << 8080 << 3 << 21;
    }
    void commandLinePort() {
        QFETCH(int, sessionPort);
        QFETCH(int, service);
        QFETCH(int, port);
        QCOMPARE(CommandLinePort(sessionPort, static_cast<std::uint32_t>(service)), port);
    }

    void loginWithPassword() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(Commands(server), (QStringList{"USER anna", "PASS pw"}));
        QCOMPARE(view.Count("Client: "), 2);
        QCOMPARE(view.Count("Server: "), 3);
        QVERIFY(view.messages.empty());
        QCOMPARE(view.Text(),
                 std::string("\r\nServer: \r\n220 Scripted server ready\r\n"
                             "\r\nClient: \r\nUSER anna\r\n\r\nServer: \r\n331 Password required\r\n"
                             "\r\nClient: \r\nPASS ****\r\n\r\nServer: \r\n230 Logged in\r\n"));
        QVERIFY(socket.IsConnected());
    }

    void transcriptColours() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoggedIn);
        for (const Piece& piece : view.pieces) {
            if (piece.text == "\r\nClient: \r\n")
                QVERIFY(piece.rgb == CommandLineView::Blue && piece.bold);
            else if (piece.text == "\r\nServer: \r\n")
                QVERIFY(piece.rgb == CommandLineView::Red && piece.bold);
            else
                QVERIFY(piece.rgb == CommandLineView::Black && !piece.bold);
        }
    }

    void userAcceptedWithoutPassword() {
        ScriptedFtpServer server;
        server.reply("USER", "230 No password needed");
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(Commands(server), QStringList{"USER anna"});
    }

    void userRefusedSendsNoPassword() {
        ScriptedFtpServer server;
        server.reply("USER", "530 Not allowed");
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoginFailed);
        QCOMPARE(Commands(server), QStringList{"USER anna"});
        QVERIFY(view.messages.empty());
    }

    void wrongPasswordFails() {
        ScriptedFtpServer server;
        server.reply("PASS", "530 Login incorrect");
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoginFailed);
    }

    void multiLineGreeting() {
        ScriptedFtpServer server;
        server.setGreeting("220-Welcome\n220-to the server\n220 Ready");
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoggedIn);
        QVERIFY(view.Text().starts_with("\r\nServer: \r\n220-Welcome\r\n220-to the server\r\n220 Ready\r\n"
                                        "\r\nClient: \r\nUSER anna\r\n"));
    }

    void multiLineReplyEndsOnlyAtCodeAndBlank() {
        ScriptedFtpServer server;
        server.reply("USER", "331-Password please\n331-still the same reply\n 331 indented\n230 other code\n"
                             "331 Now send it");
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(Commands(server), (QStringList{"USER anna", "PASS pw"}));
        QVERIFY(view.Text().find(
                    "331-still the same reply\r\n 331 indented\r\n230 other code\r\n331 Now send it\r\n"
                    "\r\nClient: \r\nPASS ****") != std::string::npos);
        QCOMPARE(view.Count("Server: "), 3);
    }

    void greetingOtherThan220ClosesTheSocket() {
        ScriptedFtpServer server;
        server.setGreeting("421 Too many users");
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port()), CommandChannelResult::NoCommandLine);
        QVERIFY(!socket.IsConnected());
        QCOMPARE(socket.State(), CommandSocket::StateClosed);
        QVERIFY(server.commands().empty());
        QVERIFY(view.messages.empty());
    }

    void refusedConnectionSaysNotConnected() {
        QCOMPARE(Run(socket, view, UnusedLoopbackPort()), CommandChannelResult::NoCommandLine);
        QCOMPARE(view.messages, std::vector<std::string>{"Not connected "});
        QVERIFY(view.pieces.empty());
    }

    void closedOrSilentServerEndsWithoutWaiting_data() {
        QTest::addColumn<QByteArray>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("commandsSent");
        QTest::newRow("closes on connect")
            << QByteArray("closeOnConnect") << int(CommandChannelResult::NoCommandLine) << 0;
        QTest::newRow("never greets")
            << QByteArray("silentOnConnect") << int(CommandChannelResult::NoCommandLine) << 0;
        QTest::newRow("closes after USER")
            << QByteArray("closeOn") << int(CommandChannelResult::LoginFailed) << 1;
        QTest::newRow("closes mid-reply")
            << QByteArray("closeMidReply") << int(CommandChannelResult::LoginFailed) << 1;
        QTest::newRow("never answers USER")
            << QByteArray("silentOn") << int(CommandChannelResult::LoginFailed) << 1;
    }
    void closedOrSilentServerEndsWithoutWaiting() {
        QFETCH(QByteArray, how);
        QFETCH(int, result);
        QFETCH(int, commandsSent);
        ScriptedFtpServer server;
        if (how == "closeOnConnect")
            server.closeOnConnect();
        else if (how == "silentOnConnect")
            server.silentOnConnect();
        else if (how == "closeOn")
            server.closeOn("USER");
        else if (how == "closeMidReply")
            server.closeMidReply("USER", "331-Password please\n331-and then nothing");
        else
            server.silentOn("USER");
        QVERIFY(server.start());
        QCOMPARE(int(Run(socket, view, server.port())), result);
        QCOMPARE(int(server.commands().size()), commandsSent);
        QVERIFY(view.messages.empty());
    }

    void readReplyGivesZeroWhenTheReplyIsCutOff() {
        ScriptedFtpServer server;
        server.closeMidReply("USER", "331-Password please\n331-and then nothing");
        QVERIFY(server.start());
        QVERIFY(ConnectCommandSocket(socket, view, "127.0.0.1", server.port(), kTimeoutMs));
        QVERIFY(SendCommandLine(socket, view, "USER anna"));
        QCOMPARE(int(ReadReply(socket, view)), 0);
        QVERIFY(view.Text().ends_with("331-Password please\r\n331-and then nothing\r\n"));
        QCOMPARE(int(ReadReply(socket, view)), 0);
    }

    void sessionNotConnectedOpensNoSocket() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(RunCommandChannel(socket, view, false, "127.0.0.1", server.port(), "anna", "pw", kTimeoutMs),
                 CommandChannelResult::SessionNotConnected);
        QCOMPARE(server.connections(), 0);
        QVERIFY(view.pieces.empty());
    }

    void emptyOrBlankHostFailsQuietly() {
        QCOMPARE(RunCommandChannel(socket, view, true, "   ", 21, "anna", "pw", kTimeoutMs),
                 CommandChannelResult::NoCommandLine);
        QVERIFY(view.messages.empty());
    }

    void hostIsTrimmed() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(
            RunCommandChannel(socket, view, true, "  127.0.0.1 ", server.port(), "anna", "pw", kTimeoutMs),
            CommandChannelResult::LoggedIn);
    }

    void reconnectClosesTheOldConnection() {
        ScriptedFtpServer first;
        ScriptedFtpServer second;
        QVERIFY(first.start() && second.start());
        QCOMPARE(Run(socket, view, first.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(Run(socket, view, second.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(view.Count("Server: "), 6);
        QCOMPARE(second.connections(), 1);
        socket.Action(CommandSocket::CloseCommand);
        QCOMPARE(socket.State(), CommandSocket::StateClosing);
    }

    void lineBreaksInCredentialsAreNotSent() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(Run(socket, view, server.port(), "anna\r\nDELE important"),
                 CommandChannelResult::LoginFailed);
        QCOMPARE(view.messages, std::vector<std::string>{"FTP Login Error 101"});
        QCOMPARE(Run(socket, view, server.port(), "anna", "pw\nDELE important"),
                 CommandChannelResult::LoginFailed);
        for (const std::string& command : server.commands())
            QVERIFY(command.find("DELE") == std::string::npos);
    }
};

QTEST_GUILESS_MAIN(SocketFTPTest)
#include "SocketFTP_test.moc"

// The command line's own login: the dialogue with its transcript, refusals and time-outs.
#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QtTest>

namespace {

using Result = CommandChannelResult;

class RecordingView : public CommandLineView {
public:
    void AppendTranscript(const std::string& text, std::uint32_t rgb, bool bold) override {
        // Headers are bold blue (client) or bold red (server); everything else plain black.
        const bool header = text == "\r\nClient: \r\n" || text == "\r\nServer: \r\n";
        wrongStyle |= bold != header || rgb != (text == "\r\nClient: \r\n" ? Blue : header ? Red : Black);
        transcript += text;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::string transcript;
    std::vector<std::string> messages;
    bool wrongStyle = false;
};

// commandsSent: how many of "USER anna", "PASS pw" the server must have received.
void dialogue(const char* name, const char* verb, const std::string& action, Result result, int commandsSent,
              const std::string& transcriptEnd = {}) {
    QTest::newRow(name) << QByteArray(verb) << QByteArray::fromStdString(action)
                        << QByteArray::fromStdString(transcriptEnd) << int(result) << commandsSent;
}

} // namespace

class SocketFTPTest : public QObject {
    Q_OBJECT
    CommandSocket socket;
    RecordingView view;

    Result run(int port, const std::string& user = "anna", const std::string& password = "pw",
               const std::string& host = "127.0.0.1", bool sessionConnected = true) {
        return RunCommandChannel(socket, view, sessionConnected, host, port, user, password, 400);
    }

private slots:
    void init() {
        socket.Disconnect();
        view = RecordingView();
    }

    void commandLinePort() {
        // An FTP session's own port when valid, else 21; HTTP (service 3) always 21.
        for (auto [sessionPort, service, port] :
             {std::array{2121, 1, 2121}, {0, 1, 21}, {70000, 1, 21}, {8080, 3, 21}})
            QCOMPARE(CommandLinePort(sessionPort, static_cast<std::uint32_t>(service)), port);
    }

    // Each row scripts one command ("" the greeting); no row may wait past the time-out.
    void dialogues_data() {
        for (const char* column : {"verb", "action", "transcriptEnd"})
            QTest::addColumn<QByteArray>(column);
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("commandsSent");
        const std::string longLine(3000, 'x');
        dialogue("usual", "USER", "331 Password required", Result::LoggedIn, 2,
                 "\r\nServer: \r\n220 Scripted server ready\r\n\r\nClient: \r\nUSER anna\r\n\r\nServer: \r\n"
                 "331 Password required\r\n\r\nClient: \r\nPASS ****\r\n\r\nServer: \r\n230 Logged in\r\n");
        dialogue("USER 230 needs no PASS", "USER", "230 Welcome", Result::LoggedIn, 1, "230 Welcome\r\n");
        dialogue("USER 530 sends no PASS", "USER", "530 No", Result::LoginFailed, 1, "530 No\r\n");
        dialogue("wrong password", "PASS", "530 Login incorrect", Result::LoginFailed, 2);
        dialogue("multi-line greeting", "", "220-Welcome\n220-" + longLine + "\n220 Ready", Result::LoggedIn,
                 2);
        dialogue("multi-line ends only at code and blank", "USER", "331-Say\n 331 in\n230 other\n331 Now",
                 Result::LoggedIn, 2,
                 "331-Say\r\n 331 in\r\n230 other\r\n331 Now\r\n\r\nClient: \r\nPASS ****\r\n\r\nServer: "
                 "\r\n230 Logged in\r\n");
        dialogue("reply lines arrive slowly", "USER", "slow:331-a\n331-b\n331 d", Result::LoggedIn, 2);
        dialogue("greeting not 220", "", "421 Busy", Result::NoCommandLine, 0, "421 Busy\r\n");
        dialogue("closes on connect", "", "close", Result::NoCommandLine, 0);
        dialogue("never greets", "", "silent", Result::NoCommandLine, 0);
        dialogue("closes after USER", "USER", "close", Result::LoginFailed, 1, "USER anna\r\n");
        dialogue("closes mid-reply", "USER", "close:331-Pass\n331-and", Result::LoginFailed, 1,
                 "331-and\r\n");
        dialogue("never answers USER", "USER", "silent", Result::LoginFailed, 1);
    }
    void dialogues() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        QFETCH(int, commandsSent);
        QFETCH(QByteArray, transcriptEnd);
        QFETCH(int, result);
        ScriptedFtpServer server;
        server.on(verb.toStdString(), action.toStdString());
        QVERIFY(server.start());
        QCOMPARE(int(run(server.port())), result);
        const std::vector<std::string> both{"USER anna", "PASS pw"};
        QCOMPARE(server.commands(), std::vector<std::string>(both.begin(), both.begin() + commandsSent));
        QVERIFY2(view.transcript.ends_with(transcriptEnd.toStdString()), view.transcript.c_str());
        QVERIFY(view.messages.empty() && !view.wrongStyle);
        // A connection that was not greeted with 220 is closed again.
        QVERIFY(result != int(Result::NoCommandLine) || !socket.IsConnected());
    }

    void refusalsAndReconnect() {
        QCOMPARE(run(UnusedLoopbackPort()), Result::NoCommandLine);
        QCOMPARE(view.messages, std::vector<std::string>{"Not connected "});
        QVERIFY(view.transcript.empty());
        view = RecordingView();
        ScriptedFtpServer first, second;
        QVERIFY(first.start() && second.start());
        QCOMPARE(run(first.port(), "anna", "pw", "127.0.0.1", false), Result::SessionNotConnected);
        QCOMPARE(run(21, "anna", "pw", "   "), Result::NoCommandLine);
        QCOMPARE(first.connections(), 0);
        QVERIFY(view.messages.empty() && view.transcript.empty());
        QCOMPARE(run(first.port(), "anna", "pw", "  127.0.0.1 "), Result::LoggedIn);
        QCOMPARE(run(second.port()), Result::LoggedIn);
        QCOMPARE(second.connections(), 1);
        socket.Action(CommandSocket::CloseCommand);
        QCOMPARE(socket.State(), CommandSocket::StateClosing);
        QCOMPARE(socket.Send("NOOP\r\n"), -1);
    }

    void lineBreaksInCredentialsAreNotSent() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(run(server.port(), "anna\r\nDELE important"), Result::LoginFailed);
        QCOMPARE(run(server.port(), "anna", "pw\nDELE important"), Result::LoginFailed);
        QCOMPARE(view.messages, (std::vector<std::string>{"FTP Login Error 101", "FTP Login Error 102"}));
        QCOMPARE(server.commands(), std::vector<std::string>{"USER anna"});
    }
};

QTEST_GUILESS_MAIN(SocketFTPTest)
#include "SocketFTP_test.moc"

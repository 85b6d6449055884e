// The command line's own login: the dialogue with its transcript, refusals and time-outs.
#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QtTest>

using Result = CommandChannelResult;
using namespace std::string_literals;

class RecordingView : public CommandLineView {
public:
    void AppendTranscript(const std::string& text, std::uint32_t, bool) override { transcript += text; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::string transcript;
    std::vector<std::string> messages;
};

// commandsSent: how many of "USER anna", "PASS pw" the server must have received.
static void dialogue(const char* name, const char* verb, const std::string& action, Result result,
                     int commandsSent, const std::string& transcriptEnd = {}) {
    QTest::newRow(name) << QByteArray(verb) << QByteArray::fromStdString(action)
                        << QByteArray::fromStdString(transcriptEnd) << int(result) << commandsSent;
}

class SocketFTPTest : public QObject {
    Q_OBJECT
    CommandSocket socket;
    RecordingView view;

    Result run(int port, const std::string& user = "anna", bool sessionConnected = true) {
        return RunCommandChannel(socket, view, sessionConnected, "127.0.0.1", port, user, "pw", 400);
    }

private slots:
    void init() {
        socket.Disconnect();
        view = RecordingView();
    }

    // Each row scripts one command ("" the greeting); no row may wait past the time-out.
    void dialogues_data() {
        for (const char* column : {"verb", "action", "transcriptEnd"})
            QTest::addColumn<QByteArray>(column);
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("commandsSent");
        dialogue("usual", "USER", "331 Password required", Result::LoggedIn, 2,
                 "331 Password required\r\n\r\nClient: \r\nPASS ****\r\n\r\nServer: \r\n230 Logged in\r\n");
        dialogue("USER 230 needs no PASS", "USER", "230 Welcome", Result::LoggedIn, 1, "230 Welcome\r\n");
        dialogue("wrong password", "PASS", "530 Login incorrect", Result::LoginFailed, 2);
        dialogue("multi-line ends only at code and blank", "USER", "331-Say\n 331 in\n230 other\n331 Now",
                 Result::LoggedIn, 2);
        dialogue("greeting not 220", "", "421 Busy", Result::NoCommandLine, 0, "421 Busy\r\n");
        dialogue("never greets", "", "silent", Result::NoCommandLine, 0);
        dialogue("never answers USER", "USER", "silent", Result::LoginFailed, 1);
        // Each line in time, the reply as a whole not: one deadline for it all.
        dialogue("reply dripping", "USER",
                 "slow:" + QByteArray("331-\n").repeated(14).toStdString() + "331 ok", Result::LoginFailed,
                 1);
        // More lines than any reply needs: given up, not read on into the transcript until the time-out.
        dialogue("flood of lines", "USER", QByteArray("331-x\n").repeated(5000).toStdString() + "331 ok",
                 Result::LoginFailed, 1, "331-x\r\n");
        // Cut, the rest dropped: a piece of it starting "331 " would end the reply early.
        dialogue("overlong line", "USER", "331-" + std::string(65532, 'a') + "331 cut\n331 Say",
                 Result::LoggedIn, 2);
        dialogue("control characters", "USER", "230 a\rb\x1b[2J\0c\xe2\x80\xae\xe2\x80\xa8\xc3\xa9\td"s,
                 Result::LoggedIn, 1, "230 a\\x0Db\\x1B[2J\\x00c\\u202E\\u2028\xc3\xa9\td\r\n");
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
        QVERIFY(view.messages.empty());
        // A connection that was not greeted with 220 is closed again.
        QVERIFY(result != int(Result::NoCommandLine) || !socket.IsConnected());
    }

    // The keep-alive waits for a command's reply before its NOOP, keeps out of the transcript, and
    // closes a command line the server has dropped.
    void keepAlive() {
        ScriptedFtpServer server;
        server.on("STAT", "211 Fine").on("NOOP", "200 Ok").on("NOOP", "close:421 Bye");
        QVERIFY(server.start());
        QCOMPARE(run(server.port()), Result::LoggedIn);
        QVERIFY(SendCommandLine(socket, view, "STAT"));
        QVERIFY(KeepCommandChannelAlive(socket, view));
        QCOMPARE(int(ReadReply(socket, view)), 211);
        const std::string transcript = view.transcript;
        QVERIFY(KeepCommandChannelAlive(socket, view));
        QCOMPARE(view.transcript, transcript);
        QVERIFY(!KeepCommandChannelAlive(socket, view) && !socket.IsConnected());
        QCOMPARE(server.commands(),
                 (std::vector<std::string>{"USER anna", "PASS pw", "STAT", "NOOP", "NOOP"}));
    }

    // A line break in the user would smuggle a second command: nothing is sent.
    void refusals() {
        QCOMPARE(run(UnusedLoopbackPort()), Result::NoCommandLine);
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(run(server.port(), "anna", false), Result::SessionNotConnected);
        QCOMPARE(server.connections(), 0);
        QCOMPARE(run(server.port(), "anna\r\nDELE important"), Result::LoginFailed);
        QCOMPARE(view.messages, (std::vector<std::string>{"Not connected ", "FTP Login Error 101"}));
        QVERIFY(server.commands().empty());
    }
};

QTEST_GUILESS_MAIN(SocketFTPTest)
#include "SocketFTP_test.moc"

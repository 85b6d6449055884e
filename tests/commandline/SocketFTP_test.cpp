#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QtTest>

namespace {

constexpr int kTimeoutMs = 400;

class RecordingView : public CommandLineView {
public:
    void AppendTranscript(const std::string& text, std::uint32_t rgb, bool bold) override {
        // Headers are bold blue (client) or bold red (server); everything else plain black.
        const bool header = text == "\r\nClient: \r\n" || text == "\r\nServer: \r\n";
        const std::uint32_t colour = text == "\r\nClient: \r\n" ? Blue : header ? Red : Black;
        wrongStyle |= rgb != colour || bold != header;
        transcript += text;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::string transcript;
    std::vector<std::string> messages;
    bool wrongStyle = false;
};

QStringList Commands(const ScriptedFtpServer& server) {
    QStringList list;
    for (const std::string& command : server.commands())
        list << QString::fromStdString(command);
    return list;
}

} // namespace

class SocketFTPTest : public QObject {
    Q_OBJECT
    CommandSocket socket;
    RecordingView view;

    CommandChannelResult run(int port, const std::string& user = "anna", const std::string& password = "pw",
                             const std::string& host = "127.0.0.1", bool sessionConnected = true) {
        return RunCommandChannel(socket, view, sessionConnected, host, port, user, password, kTimeoutMs);
    }

private slots:
    void init() {
        socket.Disconnect();
        view = RecordingView();
    }

    void commandLinePort_data() {
        QTest::addColumn<int>("sessionPort");
        QTest::addColumn<int>("service");
        QTest::addColumn<int>("port");
        QTest::newRow("ftp on its own port") << 2121 << 1 << 2121;
        QTest::newRow("ftp default port 0") << 0 << 1 << 21;
        QTest::newRow("ftp port out of range") << 70000 << 1 << 21;
        QTest::newRow("ftp negative port") << -1 << 1 << 21;
        QTest::newRow("http") << 8080 << 3 << 21;
    }
    void commandLinePort() {
        QFETCH(int, sessionPort);
        QFETCH(int, service);
        QTEST(CommandLinePort(sessionPort, static_cast<std::uint32_t>(service)), "port");
    }

    void loginWithPasswordKeepsTheWholeDialogue() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(run(server.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(Commands(server), (QStringList{"USER anna", "PASS pw"}));
        QCOMPARE(view.transcript,
                 std::string("\r\nServer: \r\n220 Scripted server ready\r\n"
                             "\r\nClient: \r\nUSER anna\r\n\r\nServer: \r\n331 Password required\r\n"
                             "\r\nClient: \r\nPASS ****\r\n\r\nServer: \r\n230 Logged in\r\n"));
        QVERIFY(!view.wrongStyle);
        QVERIFY(view.messages.empty());
        QVERIFY(socket.IsConnected());
    }

    // Each row scripts one command ("" the greeting); no row may wait past the time-out.
    void dialogues_data() {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QByteArray>("transcriptEnd");
        const QStringList both{"USER anna", "PASS pw"};
        const QStringList user{"USER anna"};
        const int ok = int(CommandChannelResult::LoggedIn);
        const int noLine = int(CommandChannelResult::NoCommandLine);
        const int failed = int(CommandChannelResult::LoginFailed);
        QTest::newRow("USER 230 needs no PASS") << QByteArray("USER") << QByteArray("230 No password needed")
                                                << ok << user << QByteArray("230 No password needed\r\n");
        QTest::newRow("USER 530 sends no PASS") << QByteArray("USER") << QByteArray("530 Not allowed")
                                                << failed << user << QByteArray("530 Not allowed\r\n");
        QTest::newRow("wrong password")
            << QByteArray("PASS") << QByteArray("530 Login incorrect") << failed << both << QByteArray();
        QTest::newRow("multi-line greeting")
            << QByteArray("") << QByteArray("220-Welcome\n220-to the server\n220 Ready") << ok << both
            << QByteArray();
        QTest::newRow("multi-line ends only at code and blank")
            << QByteArray("USER") << QByteArray("331-Say\n331-still\n 331 indented\n230 other\n331 Now") << ok
            << both
            << QByteArray("331-Say\r\n331-still\r\n 331 indented\r\n230 other\r\n331 Now\r\n\r\nClient: "
                          "\r\nPASS ****\r\n\r\nServer: \r\n230 Logged in\r\n");
        QTest::newRow("reply lines arrive slowly")
            << QByteArray("USER") << QByteArray("slow:331-a\n331-b\n331-c\n331 d") << ok << both
            << QByteArray();
        QTest::newRow("greeting not 220") << QByteArray("") << QByteArray("421 Too many users") << noLine
                                          << QStringList() << QByteArray("421 Too many users\r\n");
        QTest::newRow("closes on connect")
            << QByteArray("") << QByteArray("close") << noLine << QStringList() << QByteArray();
        QTest::newRow("never greets")
            << QByteArray("") << QByteArray("silent") << noLine << QStringList() << QByteArray();
        QTest::newRow("closes after USER")
            << QByteArray("USER") << QByteArray("close") << failed << user << QByteArray("USER anna\r\n");
        QTest::newRow("closes mid-reply")
            << QByteArray("USER") << QByteArray("close:331-Password\n331-and then") << failed << user
            << QByteArray("331-Password\r\n331-and then\r\n");
        QTest::newRow("never answers USER")
            << QByteArray("USER") << QByteArray("silent") << failed << user << QByteArray();
    }
    void dialogues() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, transcriptEnd);
        ScriptedFtpServer server;
        server.on(verb.toStdString(), action.toStdString());
        QVERIFY(server.start());
        QTEST(int(run(server.port())), "result");
        QTEST(Commands(server), "commands");
        QVERIFY2(view.transcript.ends_with(transcriptEnd.toStdString()), view.transcript.c_str());
        QVERIFY(view.messages.empty());
        QVERIFY(!view.wrongStyle);
        if (verb.isEmpty() && !action.startsWith("220"))
            QVERIFY(!socket.IsConnected());
    }

    void refusedConnectionSaysNotConnected() {
        QCOMPARE(run(UnusedLoopbackPort()), CommandChannelResult::NoCommandLine);
        QCOMPARE(view.messages, std::vector<std::string>{"Not connected "});
        QVERIFY(view.transcript.empty());
    }

    void hostAndSessionChecks() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(run(server.port(), "anna", "pw", "127.0.0.1", false),
                 CommandChannelResult::SessionNotConnected);
        QCOMPARE(run(21, "anna", "pw", "   "), CommandChannelResult::NoCommandLine);
        QCOMPARE(server.connections(), 0);
        QVERIFY(view.messages.empty() && view.transcript.empty());
        QCOMPARE(run(server.port(), "anna", "pw", "  127.0.0.1 "), CommandChannelResult::LoggedIn);
    }

    void reconnectClosesTheOldConnection() {
        ScriptedFtpServer first;
        ScriptedFtpServer second;
        QVERIFY(first.start() && second.start());
        QCOMPARE(run(first.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(run(second.port()), CommandChannelResult::LoggedIn);
        QCOMPARE(second.connections(), 1);
        QVERIFY(socket.IsConnected());
    }

    void lineBreaksInCredentialsAreNotSent() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(run(server.port(), "anna\r\nDELE important"), CommandChannelResult::LoginFailed);
        QCOMPARE(view.messages, std::vector<std::string>{"FTP Login Error 101"});
        view.messages.clear();
        QCOMPARE(run(server.port(), "anna", "pw\nDELE important"), CommandChannelResult::LoginFailed);
        QCOMPARE(view.messages, std::vector<std::string>{"FTP Login Error 102"});
        QCOMPARE(Commands(server), QStringList{"USER anna"});
    }
};

QTEST_GUILESS_MAIN(SocketFTPTest)
#include "SocketFTP_test.moc"

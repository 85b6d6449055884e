#include "session/WinInetAPI.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/WinInetFiles.h"

#include <QtTest>

#include <algorithm>

// The FTP engine against a scripted server: replies real servers give only now and then, broken
// connections and time-outs, and the exact commands the client sends.
class FtpConnectionTest : public QObject {
    Q_OBJECT

    static constexpr std::uint32_t kConnectFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;

    HINTERNET m_internet = 0;

    HINTERNET connect(const ScriptedFtpServer& server, const char* host = "127.0.0.1") {
        return InternetConnectA(m_internet, host, server.port(), "user", "secret", INTERNET_SERVICE_FTP,
                                kConnectFlags, 0);
    }

    static std::vector<std::string> names(HINTERNET connect, const char* pattern = "*.*") {
        std::vector<std::string> result;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connect, pattern))
            result.emplace_back(data.cFileName);
        return result;
    }

    // Commands received, with the login and feature talk left out.
    static std::vector<std::string> sessionCommands(const ScriptedFtpServer& server) {
        std::vector<std::string> result;
        for (const std::string& command : server.commands())
            if (command.rfind("USER", 0) != 0 && command.rfind("PASS", 0) != 0 && command != "FEAT")
                result.push_back(command);
        return result;
    }

    static int count(const std::vector<std::string>& commands, const std::string& command) {
        return static_cast<int>(std::count(commands.begin(), commands.end(), command));
    }

private slots:
    void init() {
        SetNetworkTimeoutMs(3000);
        m_internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    }
    void cleanup() { InternetCloseHandle(m_internet); }

    void multiLineRepliesAndFeatures() {
        ScriptedFtpServer server;
        server.on("", Reply("220-Welcome\n220-second line\n   indented\n220 ready"));
        server.on("FEAT", Reply("211-Features:\n MLST type*;size*;modify*;\n211-not the end\n UTF8\n SIZE\n211 End"));
        server.on("OPTS", Reply("200 UTF8 on"));
        server.on("MLSD", Transfer("type=cdir; .\r\ntype=pdir; ..\r\ntype=file;size=5; a.txt\r\ntype=dir; sub\r\n"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QVERIFY(h != 0);
        QCOMPARE(names(h), (std::vector<std::string>{"a.txt", "sub"}));
        const auto commands = sessionCommands(server);
        QCOMPARE(count(commands, "OPTS UTF8 ON"), 1);
        QCOMPARE(count(commands, "MLSD"), 1);
        QCOMPARE(count(commands, "LIST"), 0);
    }

    void userAnswered230NeedsNoPassword() {
        ScriptedFtpServer server;
        server.on("USER", Reply("230 Welcome, no password needed"));
        QVERIFY(server.start());
        QVERIFY(connect(server) != 0);
        for (const std::string& command : server.commands())
            QVERIFY(command.rfind("PASS", 0) != 0);
    }

    void refusedConnectsGiveNoHandle_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("421 greeting") << QStringLiteral("421");
        QTest::newRow("login refused") << QStringLiteral("530");
        QTest::newRow("closed at once") << QStringLiteral("close");
        QTest::newRow("silent server") << QStringLiteral("silent");
        QTest::newRow("greeting without code") << QStringLiteral("garbage");
        QTest::newRow("closed during login") << QStringLiteral("closeUser");
    }
    void refusedConnectsGiveNoHandle() {
        QFETCH(QString, kind);
        SetNetworkTimeoutMs(300);
        ScriptedFtpServer server;
        if (kind == QLatin1String("421"))
            server.on("", Reply("421 Too many users"));
        else if (kind == QLatin1String("530"))
            server.on("PASS", Reply("530 Login incorrect"));
        else if (kind == QLatin1String("close"))
            server.on("", CloseAfter());
        else if (kind == QLatin1String("silent"))
            server.on("", Silent());
        else if (kind == QLatin1String("garbage"))
            server.on("", Reply("hello there"));
        else
            server.on("USER", CloseAfter("331-Password"));
        QVERIFY(server.start());
        QCOMPARE(connect(server), HINTERNET{0});
    }

    void refusedEpsvFallsBackToPasvForGood() {
        ScriptedFtpServer server;
        server.on("EPSV", Reply("500 EPSV not understood"));
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 3 Jan 01 2001 x\r\n"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QVERIFY(h != 0);
        QCOMPARE(names(h).size(), std::size_t{1});
        QCOMPARE(names(h).size(), std::size_t{1});
        QCOMPARE(sessionCommands(server), (std::vector<std::string>{"EPSV", "PASV", "LIST", "PASV", "LIST"}));
    }

    void pasvNamingAPrivateAddressIsReachedAtThePeer() {
        ScriptedFtpServer server;
        server.on("EPSV", Reply("502 no"));
        server.on("PASV", Reply("227 Entering Passive Mode (10,1,2,3,{p1},{p2})"));
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 3 Jan 01 2001 x\r\n"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QCOMPARE(names(h), std::vector<std::string>{"x"});
    }

    void ipv6ServerUsesEpsv() {
        ScriptedFtpServer server(true);
        server.on("LIST", Transfer("drwxr-xr-x 2 u g 0 Jan 01 2001 folder\r\n"));
        if (!server.start())
            QSKIP("no IPv6 loopback here");
        const HINTERNET h = connect(server, "::1");
        QVERIFY(h != 0);
        QCOMPARE(names(h), std::vector<std::string>{"folder"});
        QCOMPARE(count(server.commands(), "EPSV"), 1);
    }

    void silentServerMakesTheCallFail() {
        ScriptedFtpServer server;
        server.on("MKD", Silent());
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QVERIFY(h != 0);
        SetNetworkTimeoutMs(300);
        QVERIFY(!FtpCreateDirectoryA(h, "/x"));
        // Replies may now be out of step: the connection is not used again.
        char buffer[64];
        std::uint32_t length = sizeof buffer;
        QVERIFY(!FtpGetCurrentDirectoryA(h, buffer, &length));
        QCOMPARE(count(server.commands(), "PWD"), 0);
    }

    void closedControlConnectionIsNoticed_data() {
        QTest::addColumn<bool>("announced");
        QTest::newRow("421") << true;
        QTest::newRow("dropped") << false;
    }
    void closedControlConnectionIsNoticed() {
        QFETCH(bool, announced);
        ScriptedFtpServer server;
        if (announced)
            server.on("CWD", CloseAfter("421 Timeout, closing control connection"));
        else
            server.on("CWD", CloseAfter());
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QVERIFY(!FtpSetCurrentDirectoryA(h, "dir"));
        QVERIFY(!FtpCreateDirectoryA(h, "/x"));
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(h, "*.*", &data, 0, 0), HINTERNET{0});
        QVERIFY(InternetCloseHandle(h));
    }

    void connectionTheServerHungUpOnIsNotShared() {
        ScriptedFtpServer server;
        // The CWD is answered, then the server gives up on the idle connection.
        server.on("CWD", CloseAfter("250 Directory changed\n421 Idle too long, closing"));
        QVERIFY(server.start());
        const HINTERNET first = connect(server);
        QVERIFY(FtpSetCurrentDirectoryA(first, "dir"));
        const HINTERNET second = connect(server);
        QVERIFY(second != 0);
        QCOMPARE(server.connections(), 2);
        char buffer[64];
        std::uint32_t length = sizeof buffer;
        QVERIFY(FtpGetCurrentDirectoryA(second, buffer, &length));
    }

    void hostileRepliesAreSurvived() {
        ScriptedFtpServer server;
        server.on("PWD", Reply("257 \"/" + std::string(100000, 'a') + "\""));
        server.on("MKD", Reply("this line has no code"));
        server.on("RMD", Reply("250 ok"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        char buffer[256];
        std::uint32_t length = sizeof buffer;
        QVERIFY(!FtpGetCurrentDirectoryA(h, buffer, &length));
        // The overlong line was skipped to its end, so the next reply is the RMD's.
        QVERIFY(FtpRemoveDirectoryA(h, "/y"));
        QVERIFY(!FtpCreateDirectoryA(h, "/x"));
        // Names holding CR or LF would smuggle a command in: refused without sending anything.
        QVERIFY(!FtpDeleteFileA(h, "a\r\nDELE b"));
        QVERIFY(!FtpRenameFileA(h, "a", "b\nRMD /"));
        QCOMPARE(count(server.commands(), "DELE b"), 0);
        QCOMPARE(count(server.commands(), "RMD /"), 0);
    }

    void currentDirectoryReplies_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("expected"); // "FAIL" when the call must fail
        QTest::newRow("plain") << "257 \"/pub\" is current directory"
                               << "/pub";
        QTest::newRow("blanks") << "257 \"/my files/a b\" is current directory"
                                << "/my files/a b";
        QTest::newRow("doubled quote") << "257 \"/say \"\"hi\"\"\" created"
                                       << "/say \"hi\"";
        QTest::newRow("bare path") << "257 /home/user"
                                   << "/home/user";
        QTest::newRow("multi-line") << "257-\"/multi\"\n257 is current"
                                    << "/multi";
        QTest::newRow("no closing quote") << "257 \"/open"
                                          << "FAIL";
        QTest::newRow("refused") << "550 No directory"
                                 << "FAIL";
    }
    void currentDirectoryReplies() {
        QFETCH(QString, reply);
        QFETCH(QString, expected);
        ScriptedFtpServer server;
        server.on("PWD", Reply(reply.toStdString()));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        char buffer[256];
        std::uint32_t length = sizeof buffer;
        const BOOL ok = FtpGetCurrentDirectoryA(h, buffer, &length);
        if (expected == QLatin1String("FAIL")) {
            QVERIFY(!ok);
            return;
        }
        QVERIFY(ok);
        QCOMPARE(QString::fromStdString(buffer), expected);
        QCOMPARE(length, static_cast<std::uint32_t>(expected.size()));
    }

    void droppedDataConnectionFailsTheRead() {
        ScriptedFtpServer server;
        server.on("RETR", Transfer(std::string(2'000'000, 'd'), "426 Connection closed; transfer aborted", 300'000));
        server.on("ABOR", Reply("226 Abort ok"));
        server.on("MKD", Reply("257 made"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        bool ok = true;
        const std::string got = WinInetFiles::read(h, "file.bin", FTP_TRANSFER_TYPE_BINARY, ok);
        QVERIFY(!ok);
        QVERIFY(got.size() < 2'000'000);
        QVERIFY(FtpCreateDirectoryA(h, "/next"));
    }

    void failingFinalReplyIsNotAShortFile_data() {
        QTest::addColumn<QString>("finalReply");
        QTest::newRow("451") << "451 Local error in processing";
        QTest::newRow("no code") << "oops";
    }
    void failingFinalReplyIsNotAShortFile() {
        QFETCH(QString, finalReply);
        ScriptedFtpServer server;
        server.on("RETR", Transfer(std::string(5000, 'x'), finalReply.toStdString()));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        const HINTERNET file = FtpOpenFileA(h, "f", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        char buffer[1024];
        std::uint32_t got = 0;
        for (int i = 0; i < 4; ++i) {
            QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
            QCOMPARE(got, 1024u);
        }
        // The last 904 bytes come with the end of the data, and with it the failing reply.
        QVERIFY(!InternetReadFile(file, buffer, sizeof buffer, &got));
        QCOMPARE(got, 0u);
        QVERIFY(!InternetCloseHandle(file));
    }

    void uploadWithFailingFinalReplyFailsTheClose() {
        ScriptedFtpServer server;
        server.on("STOR", Transfer({}, "452 Insufficient storage space"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        const HINTERNET file = FtpOpenFileA(h, "up.bin", GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        std::uint32_t written = 0;
        QVERIFY(InternetWriteFile(file, "abc", 3, &written));
        QCOMPARE(written, 3u);
        QVERIFY(!InternetCloseHandle(file));
        QCOMPARE(server.uploaded(), std::string("abc"));
    }

    void cancelDrainsEveryAbortAnswer_data() {
        QTest::addColumn<QString>("aborReply");
        QTest::newRow("426 then 226") << "426 Transfer aborted\n226 Abort successful";
        QTest::newRow("only 226") << "226 Abort successful";
        QTest::newRow("225") << "225 ABOR command successful";
        QTest::newRow("not implemented") << "502 Command not implemented.";
    }
    void cancelDrainsEveryAbortAnswer() {
        QFETCH(QString, aborReply);
        ScriptedFtpServer server;
        server.on("RETR", Transfer(std::string(8'000'000, 'z')));
        server.on("ABOR", Reply(aborReply.toStdString()));
        server.on("MKD", Reply("257 \"/next\" created"));
        server.on("DELE", Reply("550 No such file"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        const HINTERNET file = FtpOpenFileA(h, "big", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        char buffer[1024];
        std::uint32_t got = 0;
        QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
        QVERIFY(!FtpCreateDirectoryA(h, "/busy")); // the open file holds the connection
        InternetCloseHandle(file);
        // Replies are back in step: each command gets its own answer.
        QVERIFY(FtpCreateDirectoryA(h, "/next"));
        QVERIFY(!FtpDeleteFileA(h, "gone"));
        QCOMPARE(count(server.commands(), "ABOR"), 1);
        QCOMPARE(count(server.commands(), "MKD /busy"), 0);
    }

    void asciiTransfersConvertLineEnds() {
        ScriptedFtpServer server;
        // A CR before something other than LF stays; a CR at the very end too.
        server.on("RETR", Transfer("one\r\ntwo\r\n\r\nlone\rcr\r"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        bool ok = false;
        QCOMPARE(WinInetFiles::read(h, "t.txt", FTP_TRANSFER_TYPE_ASCII, ok),
                 std::string("one\ntwo\n\nlone\rcr\r"));
        QVERIFY(ok);
        QCOMPARE(WinInetFiles::read(h, "t.txt", FTP_TRANSFER_TYPE_ASCII, ok),
                 std::string("one\ntwo\n\nlone\rcr\r"));
        QCOMPARE(WinInetFiles::read(h, "t.txt", FTP_TRANSFER_TYPE_BINARY, ok),
                 std::string("one\r\ntwo\r\n\r\nlone\rcr\r"));

        const HINTERNET file = FtpOpenFileA(h, "u.txt", GENERIC_WRITE, FTP_TRANSFER_TYPE_ASCII, 0);
        std::uint32_t written = 0;
        QVERIFY(InternetWriteFile(file, "a\nb", 3, &written));
        QVERIFY(InternetWriteFile(file, "\n\nc", 3, &written));
        QVERIFY(InternetCloseHandle(file));
        QCOMPARE(server.uploaded(), std::string("a\r\nb\r\n\r\nc"));
        // TYPE goes out only when the type changes.
        QCOMPARE(count(server.commands(), "TYPE A"), 2);
        QCOMPARE(count(server.commands(), "TYPE I"), 1);
    }

    void largeUploadArrivesWhole() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        std::string content(1'000'003, '\0');
        for (std::size_t i = 0; i < content.size(); ++i)
            content[i] = static_cast<char>(i * 7 % 251);
        QVERIFY(WinInetFiles::write(h, "big.bin", content, FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(server.uploaded().size(), content.size());
        QVERIFY(server.uploaded() == content);
    }

    void listingSkipsGarbageAndCutsLongNames() {
        ScriptedFtpServer server;
        const std::string longName(300, 'n');
        server.on("LIST", Transfer("total 12\r\n"
                               "garbage line\r\n" +
                                   std::string(20000, 'g') +
                                   "\r\n"
                                   "-rw-r--r-- 1 u g 3 Jan 01 2001 good\r\n"
                                   "-rw-r--r-- 1 u g 3 Jan 01 2001 " +
                                   longName + "\r\n\r\n"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        const auto listed = names(h, "/some/dir/*.*");
        QCOMPARE(listed, (std::vector<std::string>{"good", std::string(259, 'n')}));
        QCOMPARE(count(server.commands(), "LIST /some/dir"), 1);
        // A pattern with a wildcard of its own filters the names.
        QCOMPARE(names(h, "/some/dir/g*"), std::vector<std::string>{"good"});
    }

    void failedListingGivesNoFindHandle() {
        ScriptedFtpServer server;
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 3 Jan 01 2001 x\r\n", "451 Aborted"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(h, "*.*", &data, 0, 0), HINTERNET{0});
    }

    void sharedConnectionLivesWhileAnyHandleUsesIt() {
        ScriptedFtpServer server;
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 3 Jan 01 2001 x\r\n"));
        QVERIFY(server.start());
        const HINTERNET first = connect(server);
        const HINTERNET listing = connect(server);
        QVERIFY(first != 0 && listing != 0 && first != listing);
        QCOMPARE(server.connections(), 1);
        QCOMPARE(names(listing).size(), std::size_t{1});
        QVERIFY(InternetCloseHandle(listing));
        QCOMPARE(count(server.commands(), "QUIT"), 0);
        QVERIFY(FtpSetCurrentDirectoryA(first, "dir"));
        QVERIFY(InternetCloseHandle(first));
        // QUIT goes out with the last handle; wait for the server thread to log it.
        for (int i = 0; i < 100 && count(server.commands(), "QUIT") == 0; ++i)
            QTest::qWait(10);
        QCOMPARE(count(server.commands(), "QUIT"), 1);
    }
};

QTEST_GUILESS_MAIN(FtpConnectionTest)
#include "FtpConnection_test.moc"

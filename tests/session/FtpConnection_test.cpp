#include "session/WinInetAPI.h"
#include "session/ftp/ListingReader.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WinInetFiles.h"

#include <QtTest>

#include <functional>

// One engine call on a logged-in connection; its result as a number (a handle counts as 1).
using EngineCall = std::function<int(HINTERNET)>;

// The FTP engine, through the WinInet-named calls, against a scripted server: replies real servers
// give only now and then, broken connections, time-outs and the exact commands the client sends.
class FtpConnectionTest : public QObject {
    Q_OBJECT
    HINTERNET m_internet = 0;

    HINTERNET connect(const ScriptedFtpServer& server, const char* host = "127.0.0.1") {
        return InternetConnectA(m_internet, host, server.port(), "user", "secret", INTERNET_SERVICE_FTP,
                                INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE, 0);
    }
    static std::vector<std::string> names(HINTERNET connect, const char* pattern = "*.*") {
        std::vector<std::string> result;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connect, pattern))
            result.emplace_back(data.cFileName);
        return result;
    }
    // Commands received after the login and feature talk.
    static QStringList afterLogin(const ScriptedFtpServer& server) {
        QStringList sent;
        for (const std::string& command : server.commands())
            sent << QString::fromStdString(command);
        return sent.mid(sent.indexOf(QStringLiteral("FEAT")) + 1);
    }

private slots:
    void init() {
        SetNetworkTimeoutMs(400);
        m_internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    }
    void cleanup() {
        InternetCloseHandle(m_internet);
        tovo::ftp::ListingReader::limits() = {};
    }

    // sent: how many of "USER user", "PASS secret" the server must have received. A refusal is told
    // apart from silence and hang-ups, and keeps the server's words. AUTH rows connect with FTPS.
    void logins_data() {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<ConnectFailure>("cause");
        QTest::addColumn<int>("sent");
        const auto row = [](const char* verb, const char* action, ConnectFailure cause, int sent) {
            QTest::newRow(action) << QByteArray(verb) << QByteArray(action) << cause << sent;
        };
        row("USER", "331 Password", ConnectFailure::None, 2);
        row("", "220-Hi\n220-more\n   indented\n220 ready", ConnectFailure::None, 2);
        row("", "421 Too many users", ConnectFailure::Refused, 0);
        row("", "silent", ConnectFailure::TimedOut, 0);
        row("PASS", "530 Login incorrect", ConnectFailure::LoginRefused, 2);
        row("USER", "close:331-Password", ConnectFailure::Closed, 1);
        row("AUTH", "502 No TLS here", ConnectFailure::TlsRefused, 0);
    }
    void logins() {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, action);
        QFETCH(ConnectFailure, cause);
        QFETCH(int, sent);
        ScriptedFtpServer server;
        server.on(verb.toStdString(), action.toStdString());
        QVERIFY(server.start());
        const std::uint32_t secure = verb == "AUTH" ? INTERNET_FLAG_SECURE : 0;
        QCOMPARE(InternetConnectA(m_internet, "127.0.0.1", server.port(), "user", "secret",
                                  INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE | secure, 0) != 0,
                 cause == ConnectFailure::None);
        const ConnectFailureInfo failure = InternetLastConnectFailure();
        QCOMPARE(failure.cause, cause);
        const bool refused = action.front() >= '4' && action.front() <= '5';
        QCOMPARE(failure.reply, refused ? action.toStdString() : std::string());
        QStringList login;
        for (const std::string& command : server.commands())
            if (command != "FEAT" && command != "QUIT" && !command.starts_with("AUTH"))
                login << QString::fromStdString(command);
        QCOMPARE(login, QStringList({"USER user", "PASS secret"}).mid(0, sent));
    }

    // Two listings each: a refused EPSV is not tried again.
    void passiveModes_data() {
        QTest::addColumn<bool>("ipv6");
        QTest::addColumn<QByteArray>("epsv");
        QTest::newRow("EPSV") << false << QByteArray();
        QTest::newRow("PASV") << false << QByteArray("500 no");
        QTest::newRow("IPv6") << true << QByteArray();
    }
    void passiveModes() {
        QFETCH(bool, ipv6);
        QFETCH(QByteArray, epsv);
        ScriptedFtpServer server(ipv6);
        if (!epsv.isEmpty())
            server.on("EPSV", epsv.toStdString());
        server.on("LIST", Transfer("-rw-r--r-- 1 u g 3 Jan 01 2001 x\r\n"));
        if (!server.start())
            QSKIP("no IPv6 loopback here");
        const HINTERNET h = connect(server, ipv6 ? "::1" : "127.0.0.1");
        QCOMPARE(names(h), std::vector<std::string>{"x"});
        QCOMPARE(names(h), std::vector<std::string>{"x"});
        const QStringList once = epsv.isEmpty() ? QStringList{"EPSV", "LIST"} : QStringList{"PASV", "LIST"};
        QCOMPARE(afterLogin(server), (epsv.isEmpty() ? QStringList() : QStringList{"EPSV"}) + once + once);
    }

    // A line without a reply code ends the connection too: nothing after it could be in step.
    void brokenControlConnectionIsNotUsedAgain_data() {
        QTest::addColumn<QByteArray>("action");
        QTest::newRow("never answers") << QByteArray("silent");
        QTest::newRow("421") << QByteArray("close:421 Timeout, closing control connection");
        QTest::newRow("no reply code") << QByteArray("this line has no code");
    }
    void brokenControlConnectionIsNotUsedAgain() {
        QFETCH(QByteArray, action);
        ScriptedFtpServer server;
        server.on("MKD", action.toStdString());
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QVERIFY(!FtpCreateDirectoryA(h, "/x"));
        QVERIFY(names(h).empty());
        QCOMPARE(afterLogin(server), QStringList{"MKD /x"});
    }

    void connectionTheServerHungUpOnIsNotShared() {
        ScriptedFtpServer server;
        server.on("CWD", CloseAfter("250 Directory changed\n421 Idle too long, closing"));
        QVERIFY(server.start());
        QVERIFY(FtpSetCurrentDirectoryA(connect(server), "dir"));
        QVERIFY(connect(server) != 0);
        QCOMPARE(server.connections(), 2);
    }

    // Names holding CR or LF would smuggle a command in: refused without sending anything.
    void namesWithLineBreaksAreRefused() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QVERIFY(!FtpDeleteFileA(h, "a\r\nDELE b"));
        QVERIFY(!FtpRenameFileA(h, "a", "b\nRMD /"));
        QVERIFY(!FtpCreateDirectoryA(h, "c\nRMD /"));
        QCOMPARE(afterLogin(server), QStringList());
    }

    // One file each way: the call that must fail, or the exact bytes on the other side.
    void transferOutcomes_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QByteArray>("refusal"); // the answer to RETR/STOR instead of a transfer
        QTest::addColumn<QByteArray>("finalReply");
        QTest::addColumn<int>("resetAfter"); // -1: no reset
        const auto row = [](const char* name, bool upload, const char* refusal, const char* final,
                            int reset) {
            QTest::newRow(name) << upload << QByteArray(refusal) << QByteArray(final) << reset;
        };
        row("download", false, "", "226 Done", -1);
        row("download, final 451", false, "", "451 Local error", -1);
        row("download reset", false, "", "426 Aborted", 150000);
        row("download stalls after 150", false, "stall", "", -1);
        row("upload", true, "", "226 Done", -1);
        row("upload reset", true, "", "426 Reset", 150000);
        row("upload refused 451", true, "451 Aborted", "", -1);
    }
    void transferOutcomes() {
        QFETCH(bool, upload);
        QFETCH(QByteArray, refusal);
        QFETCH(QByteArray, finalReply);
        QFETCH(int, resetAfter);
        const std::string content = RandomBytes(400'003).toStdString();
        const std::string verb = upload ? "STOR" : "RETR";
        ScriptedFtpServer server;
        server.on(verb, refusal.isEmpty()
                            ? Transfer(upload ? std::string() : content, finalReply.toStdString(),
                                       resetAfter < 0 ? std::string::npos : std::size_t(resetAfter))
                            : ActionFrom(refusal.toStdString()));
        server.on("ABOR", "226 Abort ok").on("MKD", "257 made");
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        bool done = false;
        std::string got;
        if (upload)
            done = WinInetFiles::write(h, "f.bin", content, FTP_TRANSFER_TYPE_BINARY);
        else
            got = WinInetFiles::read(h, "f.bin", FTP_TRANSFER_TYPE_BINARY, done);
        QCOMPARE(done, finalReply == "226 Done");
        if (done)
            QVERIFY((upload ? server.uploaded() : got) == content);
        QCOMPARE(afterLogin(server).count(QString::fromStdString(verb + " f.bin")), 1);
        // Whatever happened, the connection answers in step afterwards (or is given up on).
        if (FtpCreateDirectoryA(h, "/next"))
            QCOMPARE(afterLogin(server).last(), QStringLiteral("MKD /next"));
    }

    void cancelDrainsEveryAbortAnswer_data() {
        QTest::addColumn<QByteArray>("aborReply");
        for (const char* reply :
             {"426 Transfer aborted\n226 Abort successful", "502 Command not implemented."})
            QTest::newRow(reply) << QByteArray(reply);
    }
    void cancelDrainsEveryAbortAnswer() {
        QFETCH(QByteArray, aborReply);
        ScriptedFtpServer server;
        server.on("RETR", Transfer(std::string(8'000'000, 'z'))).on("ABOR", aborReply.toStdString());
        server.on("MKD", "257 \"/next\" created").on("DELE", "550 No such file");
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        const HINTERNET file = FtpOpenFileA(h, "big", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        char buffer[1024];
        std::uint32_t got = 0;
        QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
        QVERIFY(!FtpCreateDirectoryA(h, "/busy")); // the open file holds the connection
        InternetCloseHandle(file);
        // Replies are back in step: each command gets its own answer.
        QVERIFY(FtpCreateDirectoryA(h, "/next"));
        QVERIFY(!FtpDeleteFileA(h, "gone"));
        QCOMPARE(afterLogin(server),
                 (QStringList{"TYPE I", "EPSV", "RETR big", "ABOR", "PWD", "MKD /next", "DELE gone"}));
    }

    // The server keeps sending on the data connection of an upload and never replies.
    void uploadEndHasOneDeadline() {
        ScriptedFtpServer server;
        server.on("STOR", Endless(std::string(4096, 'x')));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!WinInetFiles::write(h, "f.bin", "data", FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE_LT(clock.elapsed(), 3 * 400);
    }

    // A listing that never ends, under one lowered limit (entries kept, lines, bytes read).
    void endlessListingStopsAtItsLimit_data() {
        QTest::addColumn<QByteArray>("repeated");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("kept");
        const QByteArray entry = "-rw-r--r-- 1 u g 3 Jan 01 2001 x\r\n"; // 34 bytes
        QTest::newRow("entries") << entry << 0 << 1000 << 1000;
        QTest::newRow("lines") << "garbage\r\n" + entry << 1 << 1000 << 500;
        QTest::newRow("bytes read") << entry << 2 << 34 * 700 + 10 << 700;
    }
    void endlessListingStopsAtItsLimit() {
        QFETCH(QByteArray, repeated);
        QFETCH(int, limit);
        QFETCH(int, value);
        using tovo::ftp::ListingReader;
        *std::array{&ListingReader::limits().entries, &ListingReader::limits().lines,
                    &ListingReader::limits().readBytes}[std::size_t(limit)] = std::size_t(value);
        ScriptedFtpServer server;
        server.on("LIST", Endless(repeated.toStdString())).on("ABOR", "226 Aborted");
        QVERIFY(server.start());
        WIN32_FIND_DATAA data;
        const HINTERNET find = FtpFindFirstFileA(connect(server), "*.*", &data, 0, 0);
        int kept = find != 0;
        while (InternetFindNextFileA(find, &data))
            ++kept;
        QTEST(kept, "kept");
        QVERIFY(FindListingCut(find));
        QCOMPARE(afterLogin(server), (QStringList{"EPSV", "LIST", "ABOR", "PWD"}));
    }

    // What each call sends after the login, and what it returns. Per file only the data connection
    // and RETR/STOR go out: TYPE when it changes, no CWD, PWD or SIZE.
    void fileCommands_data() {
        QTest::addColumn<QByteArray>("script"); // "VERB=action" parts for the server, joined by '|'
        QTest::addColumn<EngineCall>("call");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("sent");
        const auto row = [](const char* name, const char* script, EngineCall call, int result,
                            const QStringList& sent) {
            QTest::newRow(name) << QByteArray(script) << call << result << sent;
        };
        const auto open = [](std::uint32_t access, std::uint32_t type, std::int64_t offset) {
            return EngineCall([=](HINTERNET h) {
                const HINTERNET file = FtpOpenFileFromA(h, "/d/f", access, type, offset);
                char buffer[64];
                std::uint32_t got = 0;
                const bool moved = access == GENERIC_READ
                                       ? InternetReadFile(file, buffer, sizeof buffer, &got) && got == 10
                                       : InternetWriteFile(file, "tail", 4, &got);
                return int(file != 0) + int(moved && InternetCloseHandle(file));
            });
        };
        row("download from an offset", "REST=350 Restarting at 400", open(GENERIC_READ, 2, 400), 2,
            {"TYPE I", "EPSV", "REST 400", "RETR /d/f"});
        row("download, REST refused", "REST=502 No", open(GENERIC_READ, 2, 400), 0,
            {"TYPE I", "EPSV", "REST 400"});
        row("upload from an offset", "REST=350 Restarting at 400", open(GENERIC_WRITE, 2, 400), 2,
            {"TYPE I", "EPSV", "REST 400", "STOR /d/f"});
        row("upload, REST refused: appended", "REST=504 Not for STOR", open(GENERIC_WRITE, 2, 400), 2,
            {"TYPE I", "EPSV", "REST 400", "APPE /d/f"});
        row("ASCII from an offset", "", open(GENERIC_WRITE, 1, 400), 0, {});
        row("files by whole path", "", EngineCall([](HINTERNET h) {
                bool ok = false;
                WinInetFiles::read(h, "/d/a", FTP_TRANSFER_TYPE_BINARY, ok);
                return int(ok && WinInetFiles::write(h, "/d/b", "b", FTP_TRANSFER_TYPE_BINARY) &&
                           WinInetFiles::list(h, "/d/*.*").empty());
            }),
            1, {"TYPE I", "EPSV", "RETR /d/a", "EPSV", "STOR /d/b", "EPSV", "LIST /d"});
        const auto info = [](HINTERNET h) {
            std::int64_t size = 0;
            FILETIME time{};
            SYSTEMTIME civil{};
            const BOOL told = FtpGetFileInfoA(h, "f", &size, &time);
            FileTimeToSystemTime(&time, &civil);
            return told ? int(size) * 10000 + civil.wYear : size == -1 && time.dwLowDateTime == 0 ? -1 : -2;
        };
        row("size and time", "SIZE=213 123|MDTM=213 20240102030405.250", info, 1232024,
            {"TYPE I", "SIZE f", "MDTM f"});
        row("neither told", "SIZE=550 No|MDTM=550 No", info, -1, {"TYPE I", "SIZE f", "MDTM f"});
        row("info in binary already", "SIZE=213 1",
            EngineCall([info](HINTERNET h) { return info(h) + info(h); }), 2 * 11601,
            {"TYPE I", "SIZE f", "MDTM f", "SIZE f", "MDTM f"});
        const auto touch = [](HINTERNET h) {
            const FILETIME time{0x5848C080, 0x01DA3D28}; // 2024-01-02 03:04:05 UTC
            return FtpSetFileTimeA(h, "/d/f", &time);
        };
        row("time set", "FEAT=211-Features:\n MDTM\n MFMT\n211 End|MFMT=213 Modify=20240102030405; /d/f",
            touch, 1, {"MFMT 20240102030405 /d/f"});
        row("time set, MFMT not offered", "FEAT=211-Features:\n MDTM\n211 End", touch, 0, {});
        row("current folder asked again only after a CWD", "PWD=257 \"/a\"", EngineCall([](HINTERNET h) {
                const auto pwd = [h] {
                    char path[16] = {};
                    std::uint32_t length = sizeof path;
                    return FtpGetCurrentDirectoryA(h, path, &length) ? std::string(path) : std::string("?");
                };
                return int(pwd() + pwd() == "/a/a" && FtpSetCurrentDirectoryA(h, "b") && pwd() == "/a");
            }),
            1, {"PWD", "CWD b", "PWD"});
        row("kept alive", "", EngineCall([](HINTERNET h) { return InternetKeepAlive(h); }), 1, {"NOOP"});
        row("kept alive, no answer", "NOOP=silent",
            EngineCall([](HINTERNET h) { return InternetKeepAlive(h); }), 0, {"NOOP"});
        row("kept alive during a transfer", "RETR=stall", EngineCall([](HINTERNET h) {
                const HINTERNET file = FtpOpenFileA(h, "f", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
                return InternetKeepAlive(h) + InternetKeepAlive(h) + int(file == 0);
            }),
            2, {"TYPE I", "EPSV", "RETR f"});
    }
    void fileCommands() {
        QFETCH(QByteArray, script);
        QFETCH(EngineCall, call);
        ScriptedFtpServer server;
        server.on("ABOR", "226 Aborted");
        for (const QByteArray& part : script.split('|'))
            if (const int at = int(part.indexOf('=')); at > 0)
                server.on(part.left(at).toStdString(), part.mid(at + 1).toStdString());
        server.on("RETR", Transfer("downloaded")).on("LIST", Transfer(""));
        QVERIFY(server.start());
        QTEST(call(connect(server)), "result");
        QTEST(afterLogin(server), "sent");
    }

    void listingSkipsGarbageAndKeepsLongNames() {
        ScriptedFtpServer server;
        const std::string good = "-rw-r--r-- 1 u g 3 Jan 01 2001 ";
        server.on("LIST", Transfer("total 12\r\ngarbage line\r\n" + std::string(20000, 'g') + "\r\n" + good +
                                   "good\r\n" + good + std::string(300, 'n') + "\r\n\r\n"));
        QVERIFY(server.start());
        const HINTERNET h = connect(server);
        QCOMPARE(names(h, "/some/dir/*.*"), (std::vector<std::string>{"good", std::string(300, 'n')}));
    }
};

QTEST_GUILESS_MAIN(FtpConnectionTest)
#include "FtpConnection_test.moc"

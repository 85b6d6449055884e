#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WinInetFiles.h"

#include <QFile>
#include <QtTest>

#include <map>
#include <memory>

// The WinInet-named layer against a real FTP server (pyftpdlib on loopback), one with MLSD and one
// that offers only LIST, both started once for the whole class.
class WinInetAPITest : public QObject {
    Q_OBJECT
    static constexpr std::uint32_t kShared = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;
    std::unique_ptr<FtpTestServer> m_server;
    std::unique_ptr<FtpTestServer> m_listOnly;
    HINTERNET m_internet = 0;
    HINTERNET m_connect = 0;

    HINTERNET connect(const FtpTestServer& server, const char* password = "secret",
                      std::uint32_t flags = kShared) {
        return InternetConnectA(m_internet, "127.0.0.1", server.port(), "user", password,
                                INTERNET_SERVICE_FTP, flags, 0);
    }
    std::string currentDirectory(HINTERNET connect) {
        char buffer[256] = {};
        std::uint32_t length = sizeof buffer;
        return FtpGetCurrentDirectoryA(connect, buffer, &length) ? std::string(buffer) : "FAILED";
    }
    QByteArray download(const char* path, std::uint32_t type) {
        bool ok = false;
        const std::string content = WinInetFiles::read(m_connect, path, type, ok);
        return ok ? QByteArray::fromStdString(content) : QByteArray("FAILED");
    }

private slots:
    void initTestCase() {
        SetNetworkTimeoutMs(5000);
        m_server = std::make_unique<FtpTestServer>();
        m_listOnly = std::make_unique<FtpTestServer>(QList<FtpTestServer::User>{}, false);
        TOVO_REQUIRE_SERVER(*m_server);
        TOVO_REQUIRE_SERVER(*m_listOnly);
    }
    void init() {
        m_internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        m_connect = connect(*m_server);
        QVERIFY(m_connect != 0);
    }
    void cleanup() { InternetCloseHandle(m_internet); }

    void wrongPasswordGivesNoHandle() {
        QCOMPARE(connect(*m_server, "nope", INTERNET_FLAG_PASSIVE), HINTERNET{0});
    }

    void listsFoldersFilesSizesAndDates_data() {
        QTest::addColumn<bool>("mlsd");
        QTest::newRow("MLSD") << true;
        QTest::newRow("LIST") << false;
    }
    void listsFoldersFilesSizesAndDates() {
        QFETCH(bool, mlsd);
        FtpTestServer& server = mlsd ? *m_server : *m_listOnly;
        server.makeDir(QStringLiteral("dir/sub folder"));
        server.makeDir(QStringLiteral("empty"));
        server.writeFile(QStringLiteral("dir/name with blanks.txt"), QByteArray(1500, 'x'));
        const QDateTime stamp(QDate(2001, 3, 7), QTime(9, 5), Qt::UTC);
        QFile text(server.path(QStringLiteral("dir/name with blanks.txt")));
        QVERIFY(text.open(QIODevice::ReadWrite) &&
                text.setFileTime(stamp, QFileDevice::FileModificationTime));
        // A sparse file past 4 GiB: the size must come through both halves.
        QFile big(server.path(QStringLiteral("dir/big.bin")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize((std::int64_t{1} << 32) + 5));
        const HINTERNET h = connect(server);
        std::map<std::string, WIN32_FIND_DATAA> found;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(h, "/dir/*.*"))
            found[data.cFileName] = data;
        QCOMPARE(found.size(), std::size_t{3});
        QCOMPARE(found["sub folder"].dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
        QCOMPARE(found["name with blanks.txt"].dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
        QCOMPARE(found["name with blanks.txt"].nFileSizeLow, 1500u);
        QCOMPARE(found["big.bin"].nFileSizeHigh, 1u);
        QCOMPARE(found["big.bin"].nFileSizeLow, 5u);
        SYSTEMTIME when{};
        QVERIFY(FileTimeToSystemTime(&found["name with blanks.txt"].ftLastWriteTime, &when));
        // LIST shows a year for old files, so only the day is known there.
        QCOMPARE(QDate(when.wYear, when.wMonth, when.wDay), stamp.date());
        QCOMPARE(QTime(when.wHour, when.wMinute), mlsd ? stamp.time() : QTime(0, 0));
        // The bare pattern lists the current directory; an empty folder gives no find handle.
        QVERIFY(FtpSetCurrentDirectoryA(h, "dir"));
        QCOMPARE(WinInetFiles::list(h, "").size(), std::size_t{3});
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(h, "/empty/*.*", &data, 0, 0), HINTERNET{0});
    }

    void transfersMoveExactBytes() {
        // 1024 bytes read as 1024, then 0: the end is not taken for an error.
        m_server->writeFile(QStringLiteral("k.bin"), QByteArray(1024, 'k'));
        QCOMPARE(download("k.bin", FTP_TRANSFER_TYPE_BINARY), QByteArray(1024, 'k'));
        const QByteArray content = RandomBytes(3 * 1024 * 1024 + 3);
        QVERIFY(WinInetFiles::write(m_connect, "round.bin", content.toStdString(), FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(m_server->readFile(QStringLiteral("round.bin")), content);
        QCOMPARE(download("round.bin", FTP_TRANSFER_TYPE_BINARY), content);
        QCOMPARE(download("missing.bin", FTP_TRANSFER_TYPE_BINARY), QByteArray("FAILED"));
        // The server keeps text with LF and sends it as CR LF; ASCII mode turns that back.
        QByteArray text;
        for (int i = 0; i < 40000; ++i)
            text += "line " + QByteArray::number(i) + "\n";
        m_server->writeFile(QStringLiteral("text.txt"), text);
        QCOMPARE(download("text.txt", FTP_TRANSFER_TYPE_ASCII), text);
        QVERIFY(WinInetFiles::write(m_connect, "up.txt", text.toStdString(), FTP_TRANSFER_TYPE_ASCII));
        QCOMPARE(m_server->readFile(QStringLiteral("up.txt")), text);
    }

    void renameMakeDeleteRemove() {
        m_server->writeFile(QStringLiteral("a.txt"), "a");
        QVERIFY(FtpRenameFileA(m_connect, "a.txt", "b.txt"));
        QVERIFY(QFile::exists(m_server->path(QStringLiteral("b.txt"))));
        QVERIFY(!FtpRenameFileA(m_connect, "a.txt", "c.txt"));
        QVERIFY(FtpCreateDirectoryA(m_connect, "/new dir"));
        QVERIFY(!FtpCreateDirectoryA(m_connect, "/new dir"));
        QVERIFY(FtpDeleteFileA(m_connect, "b.txt"));
        QVERIFY(!FtpDeleteFileA(m_connect, "b.txt"));
        QVERIFY(FtpRemoveDirectoryA(m_connect, "/new dir"));
        QVERIFY(!QFile::exists(m_server->path(QStringLiteral("new dir"))));
        QVERIFY(!FtpRemoveDirectoryA(m_connect, "/new dir"));
        QVERIFY(!FtpSetCurrentDirectoryA(m_connect, "/new dir"));
    }

    void currentDirectoryNeedsRoomForTheName() {
        m_server->makeDir(QStringLiteral("with blank"));
        QVERIFY(FtpSetCurrentDirectoryA(m_connect, "with blank"));
        QCOMPARE(currentDirectory(m_connect), std::string("/with blank"));
        char buffer[8];
        std::uint32_t length = 5;
        QVERIFY(!FtpGetCurrentDirectoryA(m_connect, buffer, &length));
        QCOMPARE(length, 12u);
    }

    void cancelMidDownloadLeavesConnectionUsable() {
        m_server->writeFile(QStringLiteral("huge.bin"), QByteArray(16 * 1024 * 1024, 'b'));
        m_server->writeFile(QStringLiteral("small.txt"), "small");
        for (int round = 0; round < 2; ++round) {
            const HINTERNET file =
                FtpOpenFileA(m_connect, "huge.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
            char buffer[1024];
            std::uint32_t got = 0;
            QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
            InternetCloseHandle(file);
            QCOMPARE(download("small.txt", FTP_TRANSFER_TYPE_BINARY), QByteArray("small"));
        }
    }

    void sharedAndSeparateConnections() {
        m_server->makeDir(QStringLiteral("shared"));
        const HINTERNET listing = connect(*m_server);
        QVERIFY(listing != 0 && listing != m_connect);
        // Shared: a directory change through one handle shows through the other.
        QVERIFY(FtpSetCurrentDirectoryA(listing, "/shared"));
        QCOMPARE(currentDirectory(m_connect), std::string("/shared"));
        QVERIFY(InternetCloseHandle(listing));
        QVERIFY(FtpCreateDirectoryA(m_connect, "/shared/more"));
        // Without the flag the connection is a separate one.
        QCOMPARE(currentDirectory(connect(*m_server, "secret", INTERNET_FLAG_PASSIVE)), std::string("/"));
    }

    void handlesCloseSafelyInAnyOrder() {
        m_server->writeFile(QStringLiteral("f.txt"), "f");
        const HINTERNET file = FtpOpenFileA(m_connect, "f.txt", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        QVERIFY(InternetCloseHandle(m_internet)); // closes the connection and the file below it
        QVERIFY(!InternetCloseHandle(m_connect));
        QVERIFY(!InternetCloseHandle(file));
        QVERIFY(!InternetCloseHandle(0));
        QVERIFY(!InternetCloseHandle(987654));
        QCOMPARE(currentDirectory(m_connect), std::string("FAILED"));
        m_internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        QVERIFY(m_internet != m_connect && m_internet != file); // new handles get new numbers
    }

    void httpServiceAndUnreachableServer() {
        // Nobody is contacted for the HTTP service, and FTP calls on that handle fail.
        const int port = UnusedLoopbackPort();
        const HINTERNET http = InternetConnectA(m_internet, "127.0.0.1", port, "user", "secret",
                                                INTERNET_SERVICE_HTTP, kShared, 0);
        QVERIFY(http != 0);
        QCOMPARE(currentDirectory(http), std::string("FAILED"));
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(http, "*.*", &data, 0, 0), HINTERNET{0});
        QCOMPARE(FtpOpenFileA(http, "x", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0), HINTERNET{0});
        QCOMPARE(InternetConnectA(m_internet, "127.0.0.1", port, "u", "p", INTERNET_SERVICE_FTP, kShared, 0),
                 HINTERNET{0});
        QCOMPARE(InternetConnectA(0, "127.0.0.1", m_server->port(), "user", "secret", INTERNET_SERVICE_FTP,
                                  kShared, 0),
                 HINTERNET{0});
    }

    void stripNullsCutsAtFirstNul() { QCOMPARE(StripNulls(std::string("abc\0def", 7)), std::string("abc")); }

    void fileTimeToSystemTime_data() {
        QTest::addColumn<quint64>("ticks");
        QTest::addColumn<QString>("expected"); // yyyy-MM-dd hh:mm:ss.zzz weekday(0 = Sunday), or FAIL
        QTest::newRow("epoch 1601") << quint64{0} << QStringLiteral("1601-01-01 00:00:00.000 1");
        QTest::newRow("unix epoch") << quint64{116444736000000000}
                                    << QStringLiteral("1970-01-01 00:00:00.000 4");
        QTest::newRow("leap day 2024")
            << quint64{133536384001230000} << QStringLiteral("2024-02-29 00:00:00.123 4");
        QTest::newRow("largest") << quint64{0x7FFFFFFFFFFFFFFF}
                                 << QStringLiteral("30828-09-14 02:48:05.477 4");
        QTest::newRow("beyond range") << quint64{0x8000000000000000} << QStringLiteral("FAIL");
    }
    void fileTimeToSystemTime() {
        QFETCH(quint64, ticks);
        const FILETIME time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
        SYSTEMTIME s{};
        QTEST(FileTimeToSystemTime(&time, &s)
                  ? QString::asprintf("%04u-%02u-%02u %02u:%02u:%02u.%03u %u", s.wYear, s.wMonth, s.wDay,
                                      s.wHour, s.wMinute, s.wSecond, s.wMilliseconds, s.wDayOfWeek)
                  : QStringLiteral("FAIL"),
              "expected");
    }
};

QTEST_GUILESS_MAIN(WinInetAPITest)
#include "WinInetAPI_test.moc"

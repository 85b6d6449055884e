#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/WinInetFiles.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <map>

// The WinInet-named layer against a real FTP server (pyftpdlib on loopback).
class WinInetAPITest : public QObject {
    Q_OBJECT

    static constexpr std::uint32_t kConnectFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;

    struct Session {
        HINTERNET internet = 0;
        HINTERNET connect = 0;
        ~Session() {
            InternetCloseHandle(internet);
            InternetCloseHandle(connect);
        }
    };

    static void open(Session& session, const FtpTestServer& server, const char* password = "secret",
                     std::uint32_t flags = kConnectFlags) {
        session.internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr,
                                         INTERNET_FLAG_NO_CACHE_WRITE);
        session.connect = InternetConnectA(session.internet, "127.0.0.1", server.port(), "user", password,
                                           INTERNET_SERVICE_FTP, flags, 0);
    }

    struct Found {
        std::uint32_t attributes;
        std::uint64_t size;
        FILETIME written;
    };
    static std::map<std::string, Found> list(HINTERNET connect, const char* pattern) {
        std::map<std::string, Found> result;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connect, pattern))
            result[data.cFileName] = {data.dwFileAttributes,
                                      (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                                      data.ftLastWriteTime};
        return result;
    }

    static QByteArray download(HINTERNET connect, const char* path, std::uint32_t type,
                               bool* failed = nullptr) {
        bool ok = false;
        const std::string content = WinInetFiles::read(connect, path, type, ok);
        if (failed)
            *failed = !ok;
        return QByteArray::fromStdString(content);
    }

    static bool upload(HINTERNET connect, const char* path, const QByteArray& content, std::uint32_t type) {
        return WinInetFiles::write(connect, path, content.toStdString(), type);
    }

    static QDateTime toDateTime(const FILETIME& time) {
        SYSTEMTIME system{};
        if (!FileTimeToSystemTime(&time, &system))
            return {};
        return QDateTime(QDate(system.wYear, system.wMonth, system.wDay),
                         QTime(system.wHour, system.wMinute, system.wSecond), Qt::UTC);
    }

private slots:
    void initTestCase() { SetNetworkTimeoutMs(5000); }

    void loginWithRightAndWrongPassword() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        Session right;
        open(right, server);
        QVERIFY(right.connect != 0);
        Session wrong;
        open(wrong, server, "nope", INTERNET_FLAG_PASSIVE);
        QVERIFY(wrong.internet != 0);
        QCOMPARE(wrong.connect, HINTERNET{0});
    }

    void listsFoldersFilesSizesAndDates_data() {
        QTest::addColumn<bool>("offerMlsd");
        QTest::newRow("MLSD") << true;
        QTest::newRow("LIST") << false;
    }
    void listsFoldersFilesSizesAndDates() {
        QFETCH(bool, offerMlsd);
        FtpTestServer server({}, offerMlsd);
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("dir/sub folder"));
        server.makeDir(QStringLiteral("empty"));
        server.writeFile(QStringLiteral("dir/name with blanks.txt"), QByteArray(1500, 'x'));
        const QDateTime stamp(QDate(2001, 3, 7), QTime(9, 5), Qt::UTC);
        {
            QFile file(server.path(QStringLiteral("dir/name with blanks.txt")));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
            // A sparse file past 4 GiB: the size must come through both halves.
            QFile big(server.path(QStringLiteral("dir/big.bin")));
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize((std::int64_t{1} << 32) + 5));
        }
        Session session;
        open(session, server);
        QVERIFY(session.connect != 0);

        const auto entries = list(session.connect, "/dir/*.*");
        QCOMPARE(entries.size(), std::size_t{3});
        QCOMPARE(entries.at("sub folder").attributes, FILE_ATTRIBUTE_DIRECTORY);
        const Found& text = entries.at("name with blanks.txt");
        QCOMPARE(text.attributes, FILE_ATTRIBUTE_NORMAL);
        QCOMPARE(text.size, std::uint64_t{1500});
        const QDateTime listed = toDateTime(text.written);
        // LIST shows a year for old files, so only the day is known there.
        QCOMPARE(listed.date(), stamp.date());
        if (offerMlsd)
            QCOMPARE(listed, stamp);
        QCOMPARE(entries.at("big.bin").size, (std::uint64_t{1} << 32) + 5);

        // The bare pattern lists the current directory; an empty folder gives no find handle.
        QVERIFY(FtpSetCurrentDirectoryA(session.connect, "dir"));
        QCOMPARE(list(session.connect, "*.*").size(), std::size_t{3});
        QCOMPARE(list(session.connect, "").size(), std::size_t{3});
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(session.connect, "/empty/*.*", &data, 0, 0), HINTERNET{0});
    }

    void readsA1024ByteFileAs1024Then0() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("k.bin"), QByteArray(1024, 'k'));
        Session session;
        open(session, server);
        const HINTERNET file =
            FtpOpenFileA(session.connect, "k.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        char buffer[1024];
        std::uint32_t got = 0;
        QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
        QCOMPARE(got, 1024u);
        QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
        QCOMPARE(got, 0u);
        QVERIFY(InternetCloseHandle(file));
        QVERIFY(FtpCreateDirectoryA(session.connect, "/after"));
    }

    void binaryRoundTrip() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        QByteArray content(3 * 1024 * 1024 + 3, '\0');
        QRandomGenerator generator(7);
        for (char& byte : content)
            byte = static_cast<char>(generator.bounded(256));
        Session session;
        open(session, server);
        QVERIFY(upload(session.connect, "round.bin", content, FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(server.readFile(QStringLiteral("round.bin")), content);
        bool failed = false;
        QCOMPARE(download(session.connect, "round.bin", FTP_TRANSFER_TYPE_BINARY, &failed), content);
        QVERIFY(!failed);
        QCOMPARE(download(session.connect, "missing.bin", FTP_TRANSFER_TYPE_BINARY, &failed), QByteArray());
        QVERIFY(failed);
    }

    void asciiModeConvertsLineEnds() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        // The server keeps text with LF and sends it as CR LF; we turn that back into LF.
        QByteArray text;
        for (int i = 0; i < 40000; ++i)
            text += "line " + QByteArray::number(i) + "\n";
        server.writeFile(QStringLiteral("text.txt"), text);
        Session session;
        open(session, server);
        QCOMPARE(download(session.connect, "text.txt", FTP_TRANSFER_TYPE_ASCII), text);
        QCOMPARE(download(session.connect, "text.txt", FTP_TRANSFER_TYPE_BINARY), text);
        QVERIFY(upload(session.connect, "up.txt", text, FTP_TRANSFER_TYPE_ASCII));
        QCOMPARE(server.readFile(QStringLiteral("up.txt")), text);
    }

    void renameMakeDeleteRemove() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("a.txt"), "a");
        Session session;
        open(session, server);
        QVERIFY(FtpRenameFileA(session.connect, "a.txt", "b.txt"));
        QVERIFY(QFile::exists(server.path(QStringLiteral("b.txt"))));
        QVERIFY(!FtpRenameFileA(session.connect, "a.txt", "c.txt"));
        QVERIFY(FtpCreateDirectoryA(session.connect, "/new dir"));
        QVERIFY(!FtpCreateDirectoryA(session.connect, "/new dir"));
        QVERIFY(FtpDeleteFileA(session.connect, "b.txt"));
        QVERIFY(!FtpDeleteFileA(session.connect, "b.txt"));
        QVERIFY(FtpRemoveDirectoryA(session.connect, "/new dir"));
        QVERIFY(!QFile::exists(server.path(QStringLiteral("new dir"))));
        QVERIFY(!FtpRemoveDirectoryA(session.connect, "/new dir"));
        QVERIFY(!FtpSetCurrentDirectoryA(session.connect, "/new dir"));
    }

    void currentDirectoryAndSmallBuffer() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("with blank"));
        Session session;
        open(session, server);
        QVERIFY(FtpSetCurrentDirectoryA(session.connect, "with blank"));
        char buffer[256];
        std::uint32_t length = sizeof buffer;
        QVERIFY(FtpGetCurrentDirectoryA(session.connect, buffer, &length));
        QCOMPARE(StripNulls(std::string(buffer, sizeof buffer)), std::string("/with blank"));
        length = 5;
        QVERIFY(!FtpGetCurrentDirectoryA(session.connect, buffer, &length));
        QCOMPARE(length, 12u);
    }

    void cancelMidDownloadLeavesConnectionUsable() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("big.bin"), QByteArray(16 * 1024 * 1024, 'b'));
        server.writeFile(QStringLiteral("small.txt"), "small");
        Session session;
        open(session, server);
        for (int round = 0; round < 2; ++round) {
            const HINTERNET file =
                FtpOpenFileA(session.connect, "big.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
            QVERIFY(file != 0);
            char buffer[1024];
            std::uint32_t got = 0;
            QVERIFY(InternetReadFile(file, buffer, sizeof buffer, &got));
            // While the file is open the connection does nothing else.
            QVERIFY(!FtpCreateDirectoryA(session.connect, "/busy"));
            InternetCloseHandle(file);
            QCOMPARE(download(session.connect, "small.txt", FTP_TRANSFER_TYPE_BINARY), QByteArray("small"));
        }
        QVERIFY(FtpCreateDirectoryA(session.connect, "/afterwards"));
    }

    void secondConnectSharesTheLoggedInConnection() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.makeDir(QStringLiteral("sub"));
        server.writeFile(QStringLiteral("sub/f.txt"), "f");
        Session session;
        open(session, server);
        const HINTERNET listing = InternetConnectA(session.internet, "127.0.0.1", server.port(), "user",
                                                   "secret", INTERNET_SERVICE_FTP, kConnectFlags, 0);
        QVERIFY(listing != 0 && listing != session.connect);
        // Shared: a directory change through one handle shows through the other.
        QVERIFY(FtpSetCurrentDirectoryA(listing, "/sub"));
        char buffer[256];
        std::uint32_t length = sizeof buffer;
        QVERIFY(FtpGetCurrentDirectoryA(session.connect, buffer, &length));
        QCOMPARE(std::string(buffer), std::string("/sub"));
        QCOMPARE(list(listing, "/sub/*.*").size(), std::size_t{1});
        QVERIFY(InternetCloseHandle(listing));
        // The first handle keeps working after the listing handle is gone.
        QVERIFY(FtpCreateDirectoryA(session.connect, "/sub/more"));

        // Without the flag (or another user) the connection is a separate one.
        const HINTERNET separate = InternetConnectA(session.internet, "127.0.0.1", server.port(), "user",
                                                    "secret", INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
        QVERIFY(separate != 0);
        length = sizeof buffer;
        QVERIFY(FtpGetCurrentDirectoryA(separate, buffer, &length));
        QCOMPARE(std::string(buffer), std::string("/"));
        QVERIFY(InternetCloseHandle(separate));
    }

    void handlesCloseSafelyInAnyOrder() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        server.writeFile(QStringLiteral("f.txt"), "f");
        const HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const HINTERNET connect = InternetConnectA(internet, "127.0.0.1", server.port(), "user", "secret",
                                                   INTERNET_SERVICE_FTP, kConnectFlags, 0);
        QVERIFY(connect != 0);
        const HINTERNET file = FtpOpenFileA(connect, "f.txt", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        QVERIFY(InternetCloseHandle(internet)); // closes the connection and the file below it
        QVERIFY(!InternetCloseHandle(connect));
        QVERIFY(!InternetCloseHandle(file));
        QVERIFY(!InternetCloseHandle(0));
        QVERIFY(!InternetCloseHandle(987654));
        std::uint32_t length = 10;
        char buffer[10];
        QVERIFY(!FtpGetCurrentDirectoryA(connect, buffer, &length));

        // New handles get new numbers.
        const HINTERNET again = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        QVERIFY(again != internet && again != connect && again != file);
        InternetCloseHandle(again);
    }

    void httpServiceAndUnreachableServer() {
        const HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        // Nobody is contacted for the HTTP service, and FTP calls on that handle fail.
        const HINTERNET http = InternetConnectA(internet, "127.0.0.1", 1, "user", "secret",
                                                INTERNET_SERVICE_HTTP, kConnectFlags, 0);
        QVERIFY(http != 0);
        char buffer[256];
        std::uint32_t length = sizeof buffer;
        QVERIFY(!FtpGetCurrentDirectoryA(http, buffer, &length));
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(http, "*.*", &data, 0, 0), HINTERNET{0});
        QCOMPARE(FtpOpenFileA(http, "x", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0), HINTERNET{0});
        QVERIFY(!FtpCreateDirectoryA(http, "/x"));
        // Port 1 on loopback: nobody listens.
        QCOMPARE(InternetConnectA(internet, "127.0.0.1", 1, "user", "secret", INTERNET_SERVICE_FTP,
                                  kConnectFlags, 0),
                 HINTERNET{0});
        QCOMPARE(
            InternetConnectA(0, "127.0.0.1", 21, "user", "secret", INTERNET_SERVICE_FTP, kConnectFlags, 0),
            HINTERNET{0});
        QVERIFY(InternetCloseHandle(internet));
        QVERIFY(!InternetCloseHandle(http));
    }

    void stripNullsCutsAtFirstNul() {
        QCOMPARE(StripNulls(std::string("abc\0def", 7)), std::string("abc"));
        QCOMPARE(StripNulls("plain"), std::string("plain"));
    }

    void fileTimeToSystemTime_data() {
        QTest::addColumn<quint64>("ticks");
        QTest::addColumn<QString>("expected"); // yyyy-MM-dd hh:mm:ss.zzz weekday(0 = Sunday)
        QTest::newRow("epoch 1601") << quint64{0} << QStringLiteral("1601-01-01 00:00:00.000 1");
        QTest::newRow("unix epoch") << quint64{116444736000000000}
                                    << QStringLiteral("1970-01-01 00:00:00.000 4");
        QTest::newRow("leap day 2024")
            << quint64{133536384001230000} << QStringLiteral("2024-02-29 00:00:00.123 4");
        QTest::newRow("largest") << quint64{0x7FFFFFFFFFFFFFFF}
                                 << QStringLiteral("30828-09-14 02:48:05.477 4");
    }
    void fileTimeToSystemTime() {
        QFETCH(quint64, ticks);
        QFETCH(QString, expected);
        const FILETIME time{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
        SYSTEMTIME system{};
        QVERIFY(FileTimeToSystemTime(&time, &system));
        const QString text = QString::asprintf("%04u-%02u-%02u %02u:%02u:%02u.%03u %u", system.wYear,
                                               system.wMonth, system.wDay, system.wHour, system.wMinute,
                                               system.wSecond, system.wMilliseconds, system.wDayOfWeek);
        QCOMPARE(text, expected);
    }
    void fileTimeBeyondRangeFails() {
        const FILETIME time{0, 0x80000000u};
        SYSTEMTIME system{};
        QVERIFY(!FileTimeToSystemTime(&time, &system));
        QVERIFY(!FileTimeToSystemTime(nullptr, &system));
    }
};

QTEST_GUILESS_MAIN(WinInetAPITest)
#include "WinInetAPI_test.moc"

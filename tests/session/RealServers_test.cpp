#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/RealFtpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WinInetFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <map>
#include <memory>
#include <set>

// The WinInet-named layer's everyday operations against four real servers, each started on loopback.
class RealServersTest : public QObject {
    Q_OBJECT
    static constexpr std::uint32_t kShared = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;

    static std::string pwd(HINTERNET connect) {
        char buffer[1024];
        std::uint32_t length = sizeof buffer;
        return FtpGetCurrentDirectoryA(connect, buffer, &length) ? std::string(buffer) : std::string("?");
    }
    static QByteArray download(HINTERNET connect, const char* path, std::uint32_t type) {
        bool ok = false;
        const std::string content = WinInetFiles::read(connect, path, type, ok);
        return ok ? QByteArray::fromStdString(content) : QByteArray("FAILED");
    }

private slots:
    void initTestCase() {
        SetNetworkTimeoutMs(10000);
        // Ten thousand files are made in a blink in memory, but take seconds on some disks.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
    }

    void unreachableServerGivesNoHandle() {
        const HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        QCOMPARE(InternetConnectA(internet, "127.0.0.1", UnusedLoopbackPort(), "u", "p", INTERNET_SERVICE_FTP,
                                  kShared, 0),
                 HINTERNET{0});
        InternetCloseHandle(internet);
    }

    void operations_data() {
        QTest::addColumn<int>("kind"); // -1: pyftpdlib, else a RealFtpServer::Kind
        QTest::newRow("pyftpdlib") << -1;
        QTest::newRow("pure-ftpd") << int(RealFtpServer::Kind::PureFtpd);
        QTest::newRow("vsftpd") << int(RealFtpServer::Kind::Vsftpd);
        QTest::newRow("proftpd") << int(RealFtpServer::Kind::Proftpd);
    }
    void operations() {
        QFETCH(int, kind);
        std::unique_ptr<FtpTestServer> python;
        std::unique_ptr<RealFtpServer> packaged;
        if (kind < 0)
            python = std::make_unique<FtpTestServer>();
        else if (const QString reason = RealFtpServer::unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        else
            packaged = std::make_unique<RealFtpServer>(static_cast<RealFtpServer::Kind>(kind));
        const QString root = (python ? python->root() : packaged->root()) + QLatin1Char('/');
        const QString spaced = QStringLiteral("Dir \u00e9 x");
        const QByteArray payload = RandomBytes(300 * 1024 + 7, 11),
                         text = QByteArray("one\ntwo\n").repeated(20000);
        for (const QString& dir :
             {spaced, QStringLiteral("full"), QStringLiteral("big"), QStringLiteral("empty")})
            QVERIFY(QDir(root).mkpath(dir));
        QVERIFY(WriteFileBytes(root + spaced + QStringLiteral("/f b.txt"), "12345") &&
                WriteFileBytes(root + QStringLiteral("full/keep"), "k") &&
                WriteFileBytes(root + QStringLiteral("down.bin"), payload) &&
                WriteFileBytes(root + QStringLiteral("k.bin"), QByteArray(1024, 'k')) &&
                WriteFileBytes(root + QStringLiteral("text.txt"), text));
        const QDateTime stamp(QDate(2001, 3, 7), QTime(9, 5), Qt::UTC);
        QFile dated(root + spaced + QStringLiteral("/f b.txt"));
        QVERIFY(dated.open(QIODevice::ReadWrite) &&
                dated.setFileTime(stamp, QFileDevice::FileModificationTime));
        for (int i = 0; i < 10000; ++i)
            QFile(root + QStringLiteral("big/entry-%1").arg(i)).open(QIODevice::WriteOnly);
        if (python)
            TOVO_REQUIRE_SERVER(*python);
        else
            QVERIFY2(packaged->start(), qPrintable(packaged->error()));

        HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const auto closeAll = qScopeGuard([&] { InternetCloseHandle(internet); });
        const auto open = [&](std::uint32_t flags) {
            return InternetConnectA(internet, "127.0.0.1", python ? python->port() : packaged->port(),
                                    python ? "user" : RealFtpServer::kUser,
                                    python ? "secret" : RealFtpServer::kPassword, INTERNET_SERVICE_FTP, flags,
                                    0);
        };
        const HINTERNET connect = open(kShared);
        QVERIFY2(connect != 0, "login");
        const std::string spacedPath = "/" + spaced.toStdString();
        QVERIFY(FtpSetCurrentDirectoryA(connect, spaced.toUtf8().constData()));
        QCOMPARE(pwd(connect), spacedPath);
        // The name must fit the buffer with its NUL; the length needed is given back.
        char small[8];
        std::uint32_t length = 5;
        QVERIFY(!FtpGetCurrentDirectoryA(connect, small, &length));
        QCOMPARE(length, spacedPath.size() + 1);
        // The bare pattern lists the current directory.
        const auto listed = WinInetFiles::list(connect, "");
        QCOMPARE(listed.size(), std::size_t{1});
        QCOMPARE(std::string(listed.front().cFileName) + std::to_string(listed.front().nFileSizeLow),
                 std::string("f b.txt5"));
        SYSTEMTIME when{};
        QVERIFY(FileTimeToSystemTime(&listed.front().ftLastWriteTime, &when));
        QCOMPARE(QDate(when.wYear, when.wMonth, when.wDay), stamp.date());
        if (python) // MLSD gives the time too; LIST shows a year for old files, so only the day
            QCOMPARE(QTime(when.wHour, when.wMinute), stamp.time());
        QVERIFY(FtpSetCurrentDirectoryA(connect, ".."));
        QCOMPARE(pwd(connect), std::string("/"));
        QVERIFY(!FtpSetCurrentDirectoryA(connect, "/no such dir"));
        std::map<std::string, std::uint32_t> attributes;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connect, "/*.*"))
            attributes[data.cFileName] = data.dwFileAttributes;
        QCOMPARE(attributes[spaced.toStdString()], FILE_ATTRIBUTE_DIRECTORY);
        QCOMPARE(attributes["k.bin"], FILE_ATTRIBUTE_NORMAL);
        WIN32_FIND_DATAA data;
        QCOMPARE(FtpFindFirstFileA(connect, "/empty/*.*", &data, 0, 0), HINTERNET{0}); // no find handle

        // 1024 bytes read as 1024, then 0: the end is not taken for an error. ASCII mode turns
        // the CR LF of the wire back into LF.
        QCOMPARE(download(connect, "k.bin", FTP_TRANSFER_TYPE_BINARY), QByteArray(1024, 'k'));
        QCOMPARE(download(connect, "missing.bin", FTP_TRANSFER_TYPE_BINARY), QByteArray("FAILED"));
        QCOMPARE(download(connect, "text.txt", FTP_TRANSFER_TYPE_ASCII), text);
        QCOMPARE(download(connect, "down.bin", FTP_TRANSFER_TYPE_BINARY), payload);
        // Every refusal is reported, not taken for success.
        QVERIFY(FtpCreateDirectoryA(connect, "new"));
        QVERIFY(!FtpCreateDirectoryA(connect, "new"));
        QVERIFY(WinInetFiles::write(connect, "new/up.bin", payload.toStdString(), FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(ReadFileBytes(root + QStringLiteral("new/up.bin")), payload);
        QVERIFY(FtpRenameFileA(connect, "new/up.bin", "new/moved.bin"));
        QVERIFY(QFile::exists(root + QStringLiteral("new/moved.bin")));
        QVERIFY(!FtpRenameFileA(connect, "new/up.bin", "new/again.bin"));
        QVERIFY(FtpDeleteFileA(connect, "new/moved.bin"));
        QVERIFY(!QFile::exists(root + QStringLiteral("new/moved.bin")));
        QVERIFY(!FtpDeleteFileA(connect, "new/moved.bin"));
        QVERIFY(!FtpRemoveDirectoryA(connect, "full"));
        QVERIFY(QFile::exists(root + QStringLiteral("full/keep")));
        QVERIFY(FtpRemoveDirectoryA(connect, "new"));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("new")));
        QVERIFY(!FtpRemoveDirectoryA(connect, "new"));

        std::set<std::string> names;
        for (const WIN32_FIND_DATAA& entry : WinInetFiles::list(connect, "/big/*.*"))
            names.insert(entry.cFileName);
        QCOMPARE(names.size(), std::size_t{10000});
        QVERIFY(names.count("entry-0") && names.count("entry-9999"));

        // Shared: a directory change through one handle shows through the other; without the flag
        // the connection is a separate one.
        const HINTERNET listing = open(kShared);
        QVERIFY(listing != 0 && listing != connect);
        QVERIFY(FtpSetCurrentDirectoryA(listing, "/full"));
        QCOMPARE(pwd(connect), std::string("/full"));
        QVERIFY(InternetCloseHandle(listing));
        QCOMPARE(pwd(open(INTERNET_FLAG_PASSIVE)), std::string("/"));

        // Handles close safely in any order; new handles get new numbers.
        const HINTERNET file = FtpOpenFileA(connect, "keep", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        QVERIFY(InternetCloseHandle(internet)); // closes the connection and the file below it
        QVERIFY(!InternetCloseHandle(connect) && !InternetCloseHandle(file));
        QVERIFY(!InternetCloseHandle(0) && !InternetCloseHandle(987654));
        QCOMPARE(pwd(connect), std::string("?"));
        internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        QVERIFY(internet != connect && internet != file);
    }
};

QTEST_GUILESS_MAIN(RealServersTest)
#include "RealServers_test.moc"

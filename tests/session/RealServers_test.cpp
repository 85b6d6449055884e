#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/RealFtpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WinInetFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <map>
#include <memory>

// The WinInet-named layer's everyday operations against four real servers, each started on loopback.
class RealServersTest : public QObject {
    Q_OBJECT
    static constexpr std::uint32_t kShared = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_PASSIVE;

    static std::string pwd(HINTERNET connect) {
        char buffer[1024];
        std::uint32_t length = sizeof buffer;
        return FtpGetCurrentDirectoryA(connect, buffer, &length) ? std::string(buffer) : std::string("?");
    }

private slots:
    void initTestCase() {
        SetNetworkTimeoutMs(10000);
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) // ten thousand files in a blink
            qputenv("TMPDIR", "/dev/shm");
    }

    void operations_data() {
        QTest::addColumn<int>("kind");           // -1: pyftpdlib, else a RealFtpServer::Kind
        QTest::addColumn<bool>("uploadsResume"); // proftpd by default refuses REST and APPE for uploads
        QTest::newRow("pyftpdlib") << -1 << true;
        QTest::newRow("pure-ftpd") << int(RealFtpServer::Kind::PureFtpd) << true;
        QTest::newRow("vsftpd") << int(RealFtpServer::Kind::Vsftpd) << true;
        QTest::newRow("proftpd") << int(RealFtpServer::Kind::Proftpd) << false;
    }
    void operations() {
        QFETCH(int, kind);
        QFETCH(bool, uploadsResume);
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
        const QByteArray payload = RandomBytes(300 * 1024 + 7, 11);
        QVERIFY(WriteOperationsTree(root, payload) &&
                WriteFileBytes(root + QStringLiteral("k.bin"), QByteArray(1024, 'k')));
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
        // The bare pattern lists the current directory.
        const auto listed = WinInetFiles::list(connect, "");
        QCOMPARE(listed.size(), std::size_t{1});
        QCOMPARE(std::string(listed.front().cFileName) + std::to_string(listed.front().nFileSizeLow),
                 std::string("f b.txt5"));
        QVERIFY(FtpSetCurrentDirectoryA(connect, ".."));
        QCOMPARE(pwd(connect), std::string("/"));
        std::map<std::string, std::uint32_t> attributes;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connect, "/*.*"))
            attributes[data.cFileName] = data.dwFileAttributes;
        QCOMPARE(attributes[spaced.toStdString()], FILE_ATTRIBUTE_DIRECTORY);
        QCOMPARE(attributes["k.bin"], FILE_ATTRIBUTE_NORMAL);

        // 1024 bytes read as 1024, then 0: the end is not taken for an error.
        bool ok = false;
        QCOMPARE(WinInetFiles::read(connect, "k.bin", FTP_TRANSFER_TYPE_BINARY, ok), std::string(1024, 'k'));
        QVERIFY(ok);
        QCOMPARE(WinInetFiles::read(connect, "down.bin", FTP_TRANSFER_TYPE_BINARY, ok),
                 payload.toStdString());
        // Resumed both ways, byte for byte: a download cut after a part, then continued at the part's
        // size; an upload of a first part, continued at the size the server tells.
        std::string part(100 * 1024, '\0');
        const HINTERNET cut = FtpOpenFileA(connect, "down.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        std::uint32_t got = 0;
        QVERIFY(InternetReadFile(cut, part.data(), std::uint32_t(part.size()), &got) && got == part.size());
        InternetCloseHandle(cut);
        QCOMPARE(part + WinInetFiles::read(connect, "down.bin", FTP_TRANSFER_TYPE_BINARY, ok, got),
                 payload.toStdString());
        QVERIFY(ok && WinInetFiles::write(connect, "up.bin", part, FTP_TRANSFER_TYPE_BINARY));
        std::int64_t size = 0;
        FILETIME modified{};
        QVERIFY(FtpGetFileInfoA(connect, "up.bin", &size, &modified) && size == got &&
                modified.dwHighDateTime);
        QCOMPARE(WinInetFiles::write(connect, "up.bin", payload.mid(got).toStdString(),
                                     FTP_TRANSFER_TYPE_BINARY, size),
                 uploadsResume);
        QCOMPARE(ReadFileBytes(root + QStringLiteral("up.bin")), uploadsResume ? payload : payload.left(got));
        // Every refusal is reported, not taken for success.
        QVERIFY(FtpCreateDirectoryA(connect, "new"));
        QVERIFY(!FtpCreateDirectoryA(connect, "new"));
        QVERIFY(WinInetFiles::write(connect, "new/up.bin", payload.toStdString(), FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(ReadFileBytes(root + QStringLiteral("new/up.bin")), payload);
        QVERIFY(FtpRenameFileA(connect, "new/up.bin", "new/moved.bin") &&
                !FtpRenameFileA(connect, "new/up.bin", "new/again.bin"));
        QVERIFY(FtpDeleteFileA(connect, "new/moved.bin"));
        QVERIFY(!FtpRemoveDirectoryA(connect, "full"));
        QVERIFY(FtpRemoveDirectoryA(connect, "new"));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("new")));

        // Shared: a directory change through one handle shows through the other; without the flag
        // the connection is a separate one.
        const HINTERNET listing = open(kShared);
        QVERIFY(listing != 0 && listing != connect);
        QVERIFY(FtpSetCurrentDirectoryA(listing, "/full"));
        QCOMPARE(pwd(connect), std::string("/full"));
        QCOMPARE(pwd(open(INTERNET_FLAG_PASSIVE)), std::string("/"));
        QCOMPARE(WinInetFiles::list(connect, "/big/*.*").size(), std::size_t{10000});
    }
};

QTEST_GUILESS_MAIN(RealServersTest)
#include "RealServers_test.moc"

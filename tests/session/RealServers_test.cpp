#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/RealFtpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WinInetFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <memory>
#include <set>

// The layer's everyday operations against four real servers, each started on loopback.
class RealServersTest : public QObject {
    Q_OBJECT

    static std::string pwd(HINTERNET connect) {
        char buffer[1024];
        std::uint32_t length = sizeof buffer;
        return FtpGetCurrentDirectoryA(connect, buffer, &length) ? std::string(buffer) : std::string("?");
    }

private slots:
    void initTestCase() {
        SetNetworkTimeoutMs(10000);
        // Ten thousand files are made in a blink in memory, but take seconds on some disks.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
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
        QString root;
        if (kind < 0) {
            python = std::make_unique<FtpTestServer>();
            root = python->root();
        } else {
            if (const QString reason = RealFtpServer::unavailableReason(); !reason.isEmpty())
                QSKIP(qPrintable(reason));
            packaged = std::make_unique<RealFtpServer>(static_cast<RealFtpServer::Kind>(kind));
            root = packaged->root();
        }
        const QString spaced = QStringLiteral("Dir \u00e9 x");
        const QByteArray payload = RandomBytes(300 * 1024 + 7, 11);
        QVERIFY(QDir(root).mkpath(spaced) && QDir(root).mkpath(QStringLiteral("full")) &&
                QDir(root).mkpath(QStringLiteral("big")));
        QVERIFY(WriteFileBytes(root + QStringLiteral("/") + spaced + QStringLiteral("/f b.txt"), "12345"));
        QVERIFY(WriteFileBytes(root + QStringLiteral("/full/keep"), "k"));
        QVERIFY(WriteFileBytes(root + QStringLiteral("/down.bin"), payload));
        for (int i = 0; i < 10000; ++i)
            QFile(root + QStringLiteral("/big/entry-%1").arg(i)).open(QIODevice::WriteOnly);
        if (python)
            TOVO_REQUIRE_SERVER(*python);
        else
            QVERIFY2(packaged->start(), qPrintable(packaged->error()));

        const HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const HINTERNET connect = InternetConnectA(
            internet, "127.0.0.1", python ? python->port() : packaged->port(),
            python ? "user" : RealFtpServer::kUser, python ? "secret" : RealFtpServer::kPassword,
            INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
        const auto closeAll = qScopeGuard([&] {
            InternetCloseHandle(connect);
            InternetCloseHandle(internet);
        });
        QVERIFY2(connect != 0, "login");
        QCOMPARE(pwd(connect), std::string("/"));
        const std::string spacedPath = "/" + spaced.toStdString();
        QVERIFY(FtpSetCurrentDirectoryA(connect, spaced.toUtf8().constData()));
        QCOMPARE(pwd(connect), spacedPath);
        QVERIFY(FtpSetCurrentDirectoryA(connect, ".."));
        QCOMPARE(pwd(connect), std::string("/"));

        const auto listed = WinInetFiles::list(connect, (spacedPath + "/*.*").c_str());
        QCOMPARE(listed.size(), std::size_t{1});
        QCOMPARE(std::string(listed.front().cFileName), std::string("f b.txt"));
        QCOMPARE(listed.front().nFileSizeLow, 5u);

        QVERIFY(FtpCreateDirectoryA(connect, "new"));
        QVERIFY(!FtpCreateDirectoryA(connect, "new"));
        QVERIFY(WinInetFiles::write(connect, "new/up.bin", payload.toStdString(), FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(ReadFileBytes(root + QStringLiteral("/new/up.bin")), payload);
        bool read = false;
        QCOMPARE(QByteArray::fromStdString(
                     WinInetFiles::read(connect, "down.bin", FTP_TRANSFER_TYPE_BINARY, read)),
                 payload);
        QVERIFY(read);
        QVERIFY(FtpRenameFileA(connect, "new/up.bin", "new/moved.bin"));
        QVERIFY(QFile::exists(root + QStringLiteral("/new/moved.bin")));
        QVERIFY(FtpDeleteFileA(connect, "new/moved.bin"));
        QVERIFY(!QFile::exists(root + QStringLiteral("/new/moved.bin")));
        QVERIFY(!FtpRemoveDirectoryA(connect, "full"));
        QVERIFY(QFile::exists(root + QStringLiteral("/full/keep")));
        QVERIFY(FtpRemoveDirectoryA(connect, "new"));

        std::set<std::string> names;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connect, "/big/*.*"))
            names.insert(data.cFileName);
        QCOMPARE(names.size(), std::size_t{10000});
        QVERIFY(names.count("entry-0") && names.count("entry-9999"));
    }
};

QTEST_GUILESS_MAIN(RealServersTest)
#include "RealServers_test.moc"

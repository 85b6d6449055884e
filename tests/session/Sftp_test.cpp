#include "profiles/KnownHosts.h"
#include "session/WinInetAPI.h"
#include "session/sftp/HostKeyTrust.h"
#include "tests/support/RealSshServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WinInetFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QtTest>

#include <map>
#include <memory>

// The WinInet-named calls over SFTP against OpenSSH's server, and the trust in host keys.
class SftpTest : public QObject {
    Q_OBJECT
    std::unique_ptr<RealSshServer> m_server;
    QTemporaryDir m_files;
    std::vector<ServerHostKey> m_asked;
    HostKeyDecision m_decision = HostKeyDecision::TrustOnce;

    HINTERNET connect(HINTERNET internet, const char* password = RealSshServer::kPassword,
                      const char* keyFile = nullptr, std::uint32_t flags = 0) {
        return InternetConnectSftpA(internet, "127.0.0.1", m_server->port(), RealSshServer::kUser, password,
                                    keyFile, flags);
    }
    static std::string pwd(HINTERNET connect) {
        char buffer[1024];
        std::uint32_t length = sizeof buffer;
        return FtpGetCurrentDirectoryA(connect, buffer, &length) ? std::string(buffer) : std::string("?");
    }
    void requireServer() {
        if (!m_server)
            QSKIP(qPrintable(RealSshServer::unavailableReason()));
    }

private slots:
    void initTestCase() {
        qputenv("SSH_AUTH_SOCK", ""); // no agent's keys, and none of ~/.ssh: the rows choose the login
        qputenv("HOME", m_files.path().toUtf8());
        SetUserKnownHostsFile(m_files.filePath(QStringLiteral("user_known_hosts")).toStdString());
        SetKnownHostsFile(m_files.filePath(QStringLiteral("known_hosts")).toStdString());
        SetHostKeyDecider([this](const ServerHostKey& key) {
            m_asked.push_back(key);
            return m_decision;
        });
        SetNetworkTimeoutMs(10000);
        if (!RealSshServer::unavailableReason().isEmpty())
            return;
        m_server = std::make_unique<RealSshServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }

    void connects_data() {
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("otherKeyStored"); // our file holds another key for the server
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<int>("cause"); // ConnectFailure
        QTest::newRow("password") << false << RealSshServer::kPassword << false << false
                                  << int(ConnectFailure::None);
        QTest::newRow("key, no password") << true << "" << false << false << int(ConnectFailure::None);
        QTest::newRow("wrong password")
            << false << "wrong" << false << false << int(ConnectFailure::LoginRefused);
        QTest::newRow("changed host key")
            << false << RealSshServer::kPassword << true << false << int(ConnectFailure::HostKeyRefused);
        QTest::newRow("server stopped answering")
            << false << RealSshServer::kPassword << false << true << int(ConnectFailure::TimedOut);
    }
    void connects() {
        QFETCH(bool, withKey);
        QFETCH(QString, password);
        QFETCH(bool, otherKeyStored);
        QFETCH(bool, frozen);
        QFETCH(int, cause);
        requireServer();
        const std::string ours = m_files.filePath(QStringLiteral("known_hosts")).toStdString();
        QFile::remove(QString::fromStdString(ours));
        if (otherKeyStored)
            QVERIFY(TrustHostKey(ours, "127.0.0.1", m_server->port(),
                                 {"ssh-ed25519", "AAAAC3NzaC1lZDI1NTE5AAAAIA=="}));
        m_asked.clear();
        m_decision = otherKeyStored ? HostKeyDecision::Refuse : HostKeyDecision::TrustOnce;
        SetNetworkTimeoutMs(frozen ? 1500 : 10000);
        m_server->freeze(frozen);
        const auto thaw = qScopeGuard([this] { m_server->freeze(false); });
        HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const auto closeAll = qScopeGuard([&] { InternetCloseHandle(internet); });
        QElapsedTimer timer;
        timer.start();
        const HINTERNET connection = connect(internet, password.toUtf8().constData(),
                                             withKey ? m_server->userKey().toUtf8().constData() : nullptr);
        QCOMPARE(int(InternetLastConnectFailure().cause), cause);
        QCOMPARE(connection != 0, cause == int(ConnectFailure::None));
        if (frozen)
            QVERIFY(timer.elapsed() < 1500 + 3000);
        if (frozen)
            return;
        // The question came with the fingerprint as ssh-keygen prints it, and the stored one when the
        // key changed.
        QProcess keygen;
        keygen.start(QStringLiteral("ssh-keygen"), {"-lf", "/dev/stdin"});
        keygen.write("ssh-ed25519 " + m_server->hostKeyBase64().toLatin1() + '\n');
        keygen.closeWriteChannel();
        QVERIFY(keygen.waitForFinished());
        QCOMPARE(m_asked.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(m_asked.front().fingerprint),
                 QString::fromLatin1(keygen.readAllStandardOutput().split(' ').value(1)));
        QCOMPARE(m_asked.front().storedFingerprint.empty(), !otherKeyStored);
        if (connection)
            QCOMPARE(pwd(connection), QDir(m_server->root()).canonicalPath().toStdString());
    }

    void operations() {
        requireServer();
        const QString root = m_server->root() + QLatin1Char('/');
        const QString spaced = QStringLiteral("Dir \u00e9 x");
        const QByteArray payload = RandomBytes(300 * 1024 + 7, 11);
        QVERIFY(WriteOperationsTree(root, payload) &&
                QFile::link(root + QStringLiteral("full"), root + QStringLiteral("link")));
        QProcess::execute(QStringLiteral("chown"), {"-hR", RealSshServer::kUser, root});

        HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const auto closeAll = qScopeGuard([&] { InternetCloseHandle(internet); });
        const HINTERNET connection =
            connect(internet, RealSshServer::kPassword, nullptr, INTERNET_FLAG_EXISTING_CONNECT);
        QVERIFY(connection != 0);
        const std::string home = pwd(connection);
        QVERIFY(FtpSetCurrentDirectoryA(connection, spaced.toUtf8().constData()));
        QCOMPARE(pwd(connection), home + "/" + spaced.toStdString());
        const auto listed = WinInetFiles::list(connection, "");
        QCOMPARE(listed.size(), std::size_t{1});
        QCOMPARE(std::string(listed.front().cFileName) + std::to_string(listed.front().nFileSizeLow),
                 std::string("f b.txt5"));
        QVERIFY(FtpSetCurrentDirectoryA(connection, ".."));
        QVERIFY(!FtpSetCurrentDirectoryA(connection, "down.bin"));
        QCOMPARE(pwd(connection), home);
        std::map<std::string, std::uint32_t> attributes;
        for (const WIN32_FIND_DATAA& data : WinInetFiles::list(connection, "*.*"))
            attributes[data.cFileName] = data.dwFileAttributes;
        QCOMPARE(attributes.count("."), std::size_t{0});
        QCOMPARE(attributes[spaced.toStdString()], FILE_ATTRIBUTE_DIRECTORY);
        QCOMPARE(attributes["link"], FILE_ATTRIBUTE_DIRECTORY);
        QCOMPARE(attributes["down.bin"], FILE_ATTRIBUTE_NORMAL);

        bool ok = false;
        QCOMPARE(WinInetFiles::read(connection, "down.bin", FTP_TRANSFER_TYPE_ASCII, ok),
                 payload.toStdString());
        QVERIFY(ok);
        QVERIFY(WinInetFiles::read(connection, "missing", FTP_TRANSFER_TYPE_BINARY, ok).empty() && !ok);
        QCOMPARE(InternetLastResponseText(), std::string("No such file"));
        QVERIFY(FtpCreateDirectoryA(connection, "new"));
        QVERIFY(!FtpCreateDirectoryA(connection, "new"));
        QVERIFY(
            WinInetFiles::write(connection, "new/up.bin", payload.toStdString(), FTP_TRANSFER_TYPE_ASCII));
        QCOMPARE(ReadFileBytes(root + QStringLiteral("new/up.bin")), payload);
        const FILETIME stamp{0xC66D0000u, 0x01DA1747u}; // 2023-11-14 22:13:20 UTC
        QVERIFY(FtpSetFileTimeA(connection, "new/up.bin", &stamp));
        std::int64_t size = 0;
        FILETIME modified{};
        QVERIFY(FtpGetFileInfoA(connection, "new/up.bin", &size, &modified));
        QCOMPARE(size, std::int64_t(payload.size()));
        QCOMPARE(modified.dwHighDateTime, stamp.dwHighDateTime);
        QCOMPARE(modified.dwLowDateTime, stamp.dwLowDateTime);
        QVERIFY(FtpRenameFileA(connection, "new/up.bin", "new/moved.bin") &&
                !FtpRenameFileA(connection, "new/up.bin", "new/again.bin"));
        QVERIFY(FtpDeleteFileA(connection, "new/moved.bin"));
        QVERIFY(!FtpRemoveDirectoryA(connection, "full"));
        QVERIFY(FtpRemoveDirectoryA(connection, "new"));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("new")));
        QVERIFY(InternetKeepAlive(connection));

        // Shared while idle: a directory change through one handle shows through the other.
        const HINTERNET listing =
            connect(internet, RealSshServer::kPassword, nullptr, INTERNET_FLAG_EXISTING_CONNECT);
        QVERIFY(listing != 0 && listing != connection);
        QVERIFY(FtpSetCurrentDirectoryA(listing, "big"));
        QCOMPARE(pwd(connection), home + "/big");
        QCOMPARE(pwd(connect(internet)), home);
        QCOMPARE(WinInetFiles::list(connection, "*.*").size(), std::size_t{10000});
    }

    // A transfer cut by a server that stops answering fails within the time-out, and the next
    // connection carries on from where the file got to, byte for byte.
    void resume_data() {
        QTest::addColumn<bool>("upload");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }
    void resume() {
        QFETCH(bool, upload);
        requireServer();
        const QByteArray payload = RandomBytes(6 * 1024 * 1024 + 13, upload ? 3 : 4);
        const QString remote =
            m_server->root() + (upload ? QStringLiteral("/up.cut") : QStringLiteral("/down.cut"));
        if (!upload)
            QVERIFY(WriteFileBytes(remote, payload));
        QProcess::execute(QStringLiteral("chown"), {"-hR", RealSshServer::kUser, m_server->root()});
        const char* name = upload ? "up.cut" : "down.cut";
        HINTERNET internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const auto closeAll = qScopeGuard([&] { InternetCloseHandle(internet); });
        SetNetworkTimeoutMs(1500);
        const auto restore = qScopeGuard([this] {
            m_server->freeze(false);
            SetNetworkTimeoutMs(10000);
        });
        HINTERNET connection = connect(internet);
        QVERIFY(connection != 0);
        HINTERNET file = FtpOpenFileA(connection, name, upload ? GENERIC_WRITE : GENERIC_READ,
                                      FTP_TRANSFER_TYPE_BINARY, 0);
        QVERIFY(file != 0);
        constexpr std::uint32_t kBlock = 64 * 1024;
        QByteArray received;
        std::uint32_t sent = 0;
        const auto step = [&] {
            std::uint32_t count = 0;
            if (upload) {
                const bool ok = InternetWriteFile(file, payload.constData() + sent, kBlock, &count);
                sent += count;
                return ok;
            }
            char buffer[kBlock];
            const bool ok = InternetReadFile(file, buffer, kBlock, &count) && count > 0;
            received.append(buffer, count);
            return ok;
        };
        for (int i = 0; i < 32; ++i)
            QVERIFY(step());
        m_server->freeze(true);
        QElapsedTimer timer;
        timer.start();
        while (step() && timer.elapsed() < 10000) {
        }
        QVERIFY(timer.elapsed() < 1500 + 3000);
        QVERIFY(!InternetCloseHandle(file));
        QVERIFY(!InternetConnectionAlive(connection));
        m_server->freeze(false);

        connection = connect(internet);
        QVERIFY(connection != 0);
        std::int64_t offset = received.size();
        FILETIME modified{};
        if (upload)
            QVERIFY(FtpGetFileInfoA(connection, name, &offset, &modified) && offset > 0 &&
                    offset < payload.size());
        file = FtpOpenFileFromA(connection, name, upload ? GENERIC_WRITE : GENERIC_READ,
                                FTP_TRANSFER_TYPE_BINARY, offset);
        QVERIFY(file != 0);
        if (upload) {
            const QByteArray rest = payload.mid(offset);
            std::uint32_t count = 0;
            QVERIFY(InternetWriteFile(file, rest.constData(), std::uint32_t(rest.size()), &count));
        } else {
            while (step()) {
            }
        }
        QVERIFY(InternetCloseHandle(file));
        QCOMPARE(upload ? ReadFileBytes(remote) : received, payload);
    }

    // Trust on first use, the user's file read and never written, ours kept.
    void hostKeyTrust_data() {
        QTest::addColumn<QString>("userFile"); // lines; KEY/OTHER stand for the server's key and another
        QTest::addColumn<QString>("ourFile");
        QTest::addColumn<int>("decision"); // -1: no decider
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("asked"); // "" not asked, "new" about an unknown key, "changed"
        QTest::addColumn<QString>("ourFileAfter");
        const QString key = QStringLiteral("[h]:2222 ssh-ed25519 KEY\n");
        const QString other = QStringLiteral("[h]:2222 ssh-ed25519 OTHER\n");
        const int once = int(HostKeyDecision::TrustOnce), always = int(HostKeyDecision::TrustAlways),
                  refuse = int(HostKeyDecision::Refuse);
        QTest::newRow("unknown, no decider") << ""
                                             << "" << -1 << false << ""
                                             << "";
        QTest::newRow("unknown, refused") << ""
                                          << "" << refuse << false << "new"
                                          << "";
        QTest::newRow("unknown, trusted once") << ""
                                               << "" << once << true << "new"
                                               << "";
        QTest::newRow("unknown, trusted always") << ""
                                                 << "" << always << true << "new" << key;
        QTest::newRow("in the user's file") << key << "" << refuse << true << ""
                                            << "";
        QTest::newRow("hashed in the user's file") << "HASHED ssh-ed25519 KEY\n"
                                                   << "" << refuse << true << ""
                                                   << "";
        QTest::newRow("other port only") << "h ssh-ed25519 KEY\n"
                                         << "" << refuse << false << "new"
                                         << "";
        QTest::newRow("in our file") << "" << key << refuse << true << "" << key;
        QTest::newRow("changed in the user's file") << other << "" << always << true << "changed" << key;
        QTest::newRow("changed in ours") << ""
                                         << "# kept\n" + other << always << true << "changed"
                                         << "# kept\n" + key;
        QTest::newRow("changed, refused") << "" << other << refuse << false << "changed" << other;
    }
    void hostKeyTrust() {
        QFETCH(QString, userFile);
        QFETCH(QString, ourFile);
        QFETCH(int, decision);
        QFETCH(bool, accepted);
        QFETCH(QString, asked);
        QFETCH(QString, ourFileAfter);
        const QString keyText = QString::fromLatin1(QByteArray("the server's key").toBase64());
        const QString otherText = QString::fromLatin1(QByteArray("another key").toBase64());
        const QByteArray salt = "0123456789abcdefghij";
        const QString hashed =
            "|1|" + QString::fromLatin1(salt.toBase64()) + '|' +
            QString::fromLatin1(
                QMessageAuthenticationCode::hash("[h]:2222", salt, QCryptographicHash::Sha1).toBase64());
        const auto expand = [&](QString text) {
            return text.replace(QStringLiteral("OTHER"), otherText)
                .replace(QStringLiteral("KEY"), keyText)
                .replace(QStringLiteral("HASHED"), hashed)
                .toUtf8();
        };
        QTemporaryDir dir;
        const QString user = dir.filePath(QStringLiteral("user")),
                      ours = dir.filePath(QStringLiteral("ours"));
        QVERIFY(WriteFileBytes(user, expand(userFile)) &&
                (ourFile.isEmpty() || WriteFileBytes(ours, expand(ourFile))));
        tovo::sftp::HostKeyTrust trust;
        trust.setUserFile(user.toStdString());
        trust.setOurFile(ours.toStdString());
        std::vector<ServerHostKey> questions;
        if (decision >= 0)
            trust.setDecider([&](const ServerHostKey& key) {
                questions.push_back(key);
                return HostKeyDecision(decision);
            });
        QCOMPARE(trust.accept("h", 2222, {"ssh-ed25519", keyText.toStdString()}), accepted);
        QCOMPARE(questions.empty()                             ? QString()
                 : questions.front().storedFingerprint.empty() ? "new"
                                                               : "changed",
                 asked);
        if (!questions.empty() && asked == "changed")
            QCOMPARE(questions.front().storedFingerprint, HostKeyFingerprint(otherText.toStdString()));
        QCOMPARE(ReadFileBytes(ours), expand(ourFileAfter));
        QCOMPARE(ReadFileBytes(user), expand(userFile));
        if (decision == int(HostKeyDecision::TrustAlways))
            QCOMPARE(QFileInfo(ours).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                     QFile::Permissions());
    }
};

QTEST_GUILESS_MAIN(SftpTest)
#include "Sftp_test.moc"

#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "profiles/TrustedCertificates.h"
#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/RealFtpServer.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WinInetFiles.h"

#include <QtTest>

// Explicit TLS through the WinInet-named layer and the command line, against pyftpdlib's TLS
// handler with certificates the test makes, and a scripted server that speaks no TLS.
class FtpsTest : public QObject {
    Q_OBJECT

    static constexpr std::uint32_t kSecure = INTERNET_FLAG_PASSIVE | INTERNET_FLAG_SECURE;

    struct Session {
        HINTERNET internet = 0, connect = 0;
        Session(int port, const char* host = "127.0.0.1", const char* user = "user",
                const char* password = "secret") {
            internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
            connect =
                InternetConnectA(internet, host, port, user, password, INTERNET_SERVICE_FTP, kSecure, 0);
        }
        ~Session() { InternetCloseHandle(internet); }
    };

    struct NullView : CommandLineView {
        std::string transcript;
        void AppendTranscript(const std::string& text, std::uint32_t, bool) override { transcript += text; }
        void ShowMessage(const std::string&) override {}
    };

    TestCertificates m_certificates;
    QTemporaryDir m_dir;
    std::vector<ServerCertificate> m_asked;

    void answer(CertificateDecision decision) {
        m_asked.clear();
        SetCertificateDecider([this, decision](const ServerCertificate& certificate) {
            m_asked.push_back(certificate);
            return decision;
        });
    }

    static bool sentLogin(const ScriptedFtpServer& server) {
        for (const std::string& command : server.commands())
            if (command.rfind("USER", 0) == 0 || command.rfind("PASS", 0) == 0)
                return true;
        return false;
    }

private slots:
    void initTestCase() {
        SetNetworkTimeoutMs(5000);
        SetTrustedCertificatesFile(m_dir.filePath(QStringLiteral("trusted.ini")).toStdString());
    }
    void init() { QFile::remove(m_dir.filePath(QStringLiteral("trusted.ini"))); }

    void transfersOverTls_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("maxVersion");
        QTest::newRow("pyftpdlib, TLS 1.2") << "pyftpdlib"
                                            << "1.2";
        QTest::newRow("pyftpdlib, TLS 1.3") << "pyftpdlib"
                                            << "1.3";
        // Session reuse required, close_notify required at the end of an upload.
        QTest::newRow("vsftpd, strict") << "vsftpd"
                                        << "";
    }
    void transfersOverTls() {
        QFETCH(QString, server);
        QFETCH(QString, maxVersion);
        const auto files = m_certificates.selfSigned(QStringLiteral("tovo-test"));
        const QByteArray big = RandomBytes(700 * 1024, 7), small = RandomBytes(3000, 8);
        FtpTestServer pyftpdlib;
        RealFtpServer vsftpd(RealFtpServer::Kind::Vsftpd);
        const bool real = server == "vsftpd";
        if (real && !RealFtpServer::unavailableReason().isEmpty())
            QSKIP(qPrintable(RealFtpServer::unavailableReason()));
        const QString root = real ? vsftpd.root() : pyftpdlib.root();
        QVERIFY(WriteFileBytes(root + QStringLiteral("/big.bin"), big));
        QVERIFY(WriteFileBytes(root + QStringLiteral("/small.bin"), small));
        if (real) {
            vsftpd.requireTls(files.certificate, files.key);
            QVERIFY2(vsftpd.start(), qPrintable(vsftpd.error()));
        } else {
            pyftpdlib.requireTls(files.certificate, files.key, maxVersion);
            TOVO_REQUIRE_SERVER(pyftpdlib);
        }
        answer(CertificateDecision::TrustOnce);
        Session session(real ? vsftpd.port() : pyftpdlib.port(), "127.0.0.1",
                        real ? RealFtpServer::kUser : "user", real ? RealFtpServer::kPassword : "secret");
        QVERIFY(session.connect != 0);
        // Every one of these is a new data connection resuming the control connection's session.
        for (int round = 0; round < 2; ++round) {
            bool ok = false;
            QCOMPARE(WinInetFiles::read(session.connect, "big.bin", FTP_TRANSFER_TYPE_BINARY, ok),
                     big.toStdString());
            QVERIFY(ok);
            QCOMPARE(WinInetFiles::read(session.connect, "small.bin", FTP_TRANSFER_TYPE_BINARY, ok),
                     small.toStdString());
            const std::string name = "up" + std::to_string(round) + ".bin";
            QVERIFY(WinInetFiles::write(session.connect, name.c_str(), big.toStdString(),
                                        FTP_TRANSFER_TYPE_BINARY));
            QCOMPARE(ReadFileBytes(root + QLatin1Char('/') + QString::fromStdString(name)), big);
        }
        // A cancelled download leaves the connection usable.
        const HINTERNET file =
            FtpOpenFileA(session.connect, "big.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
        char chunk[1024];
        std::uint32_t got = 0;
        QVERIFY(InternetReadFile(file, chunk, sizeof chunk, &got) && got == sizeof chunk);
        InternetCloseHandle(file);
        QCOMPARE(WinInetFiles::list(session.connect, "*.*").size(), std::size_t{4});
        QCOMPARE(m_asked.size(), std::size_t{1}); // the data connections were not put to the user
        QCOMPARE(QString::fromStdString(m_asked.front().sha256),
                 TestCertificates::fingerprint(files.certificate));
    }

    void certificateDecisions_data() {
        QTest::addColumn<QString>("stored"); // "" none, "same", "other" fingerprint before connecting
        QTest::addColumn<CertificateDecision>("decision");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<int>("asked"); // over two connects
        QTest::addColumn<QString>("storedAfter");
        using D = CertificateDecision;
        QTest::newRow("new, refused") << "" << D::Refuse << false << 2 << "";
        QTest::newRow("new, this time") << "" << D::TrustOnce << true << 2 << "";
        QTest::newRow("new, always") << "" << D::TrustAlways << true << 1 << "same";
        QTest::newRow("trusted") << "same" << D::Refuse << true << 0 << "same";
        QTest::newRow("changed, refused") << "other" << D::Refuse << false << 2 << "other";
        QTest::newRow("changed, always") << "other" << D::TrustAlways << true << 1 << "same";
    }
    void certificateDecisions() {
        QFETCH(QString, stored);
        QFETCH(CertificateDecision, decision);
        QFETCH(bool, connects);
        QFETCH(int, asked);
        QFETCH(QString, storedAfter);
        const auto files = m_certificates.selfSigned(QStringLiteral("tovo-test"));
        FtpTestServer server;
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        const std::string path = m_dir.filePath(QStringLiteral("trusted.ini")).toStdString();
        const std::string same = TestCertificates::fingerprint(files.certificate).toStdString();
        const std::string other(same.size(), 'A');
        if (!stored.isEmpty())
            QVERIFY(TrustCertificate(path, "127.0.0.1", server.port(), stored == "same" ? same : other));
        answer(decision);
        for (int attempt = 0; attempt < 2; ++attempt) {
            Session session(server.port());
            QCOMPARE(session.connect != 0, connects);
        }
        QCOMPARE(int(m_asked.size()), asked);
        QCOMPARE(TrustedFingerprint(path, "127.0.0.1", server.port()).value_or(""), storedAfter.isEmpty() ? ""
                                                                                    : storedAfter == "same"
                                                                                        ? same
                                                                                        : other);
        if (asked == 0)
            return;
        // A changed certificate says so beyond what is wrong with it.
        answer(CertificateDecision::Refuse);
        TrustCertificate(path, "127.0.0.1", server.port(), other);
        Session changed(server.port());
        QFile::remove(QString::fromStdString(path));
        Session unknown(server.port());
        QCOMPARE(m_asked.size(), std::size_t{2});
        QVERIFY(m_asked[0].problem != m_asked[1].problem);
        QVERIFY(
            QString::fromStdString(m_asked[0].problem).contains(QString::fromStdString(m_asked[1].problem)));
    }

    void systemTrust_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("asked");
        QTest::newRow("name in certificate") << "127.0.0.1" << 0;
        QTest::newRow("other name") << "localhost" << 1;
    }
    void systemTrust() {
        QFETCH(QString, host);
        QFETCH(int, asked);
        const auto files = m_certificates.signedByCa(QStringLiteral("tovo-test"));
        qputenv("SSL_CERT_FILE", m_certificates.caFile().toLocal8Bit());
        FtpTestServer server;
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        answer(CertificateDecision::Refuse);
        Session session(server.port(), host.toLatin1().constData());
        qunsetenv("SSL_CERT_FILE");
        QCOMPARE(session.connect != 0, asked == 0);
        QCOMPARE(int(m_asked.size()), asked);
        for (const ServerCertificate& certificate : m_asked) {
            QCOMPARE(QString::fromStdString(certificate.host), host);
            QVERIFY(!certificate.problem.empty());
            QCOMPARE(QString::fromStdString(certificate.subject), QStringLiteral("CN=tovo-test"));
            QCOMPARE(QString::fromStdString(certificate.issuer), QStringLiteral("CN=Tovo Test CA"));
            QCOMPARE(QString::fromStdString(certificate.validFrom),
                     QDate::currentDate().toString(Qt::ISODate));
        }
    }

    void noTlsNoLogin_data() {
        QTest::addColumn<QString>("authReply");
        QTest::newRow("AUTH refused") << "500 Unknown command";
        QTest::newRow("accepted, then plain text") << "234 Go ahead";
    }
    void noTlsNoLogin() {
        QFETCH(QString, authReply);
        SetNetworkTimeoutMs(1500);
        for (const bool commandLine : {false, true}) {
            ScriptedFtpServer server;
            server.on("AUTH", authReply.toStdString());
            QVERIFY(server.start());
            if (commandLine) {
                CommandSocket socket;
                NullView view;
                QCOMPARE(RunCommandChannel(socket, view, true, "127.0.0.1", server.port(), "user", "secret",
                                           1500, true),
                         CommandChannelResult::NoCommandLine);
            } else {
                Session session(server.port());
                QCOMPARE(session.connect, HINTERNET{0});
            }
            QVERIFY(!server.commands().empty());
            QCOMPARE(QString::fromStdString(server.commands().front()), QStringLiteral("AUTH TLS"));
            QVERIFY(!sentLogin(server));
        }
        SetNetworkTimeoutMs(5000);
    }

    void commandLineLogsInOverTls() {
        const auto files = m_certificates.selfSigned(QStringLiteral("tovo-test"));
        FtpTestServer server; // refuses USER and PASS before TLS
        server.requireTls(files.certificate, files.key, QStringLiteral("1.3"));
        TOVO_REQUIRE_SERVER(server);
        answer(CertificateDecision::TrustOnce);
        Session session(server.port());
        QVERIFY(session.connect != 0);
        CommandSocket socket;
        NullView view;
        QCOMPARE(
            RunCommandChannel(socket, view, true, "127.0.0.1", server.port(), "user", "secret", 5000, true),
            CommandChannelResult::LoggedIn);
        QVERIFY(socket.IsTls());
        QCOMPARE(m_asked.size(), std::size_t{1}); // "this time" covers the command line of the same connect
        QVERIFY(SendCommandLine(socket, view, "PWD"));
        QCOMPARE(ReadReply(socket, view), std::int16_t{257});
    }
};

QTEST_GUILESS_MAIN(FtpsTest)
#include "Ftps_test.moc"

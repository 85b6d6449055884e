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

// Explicit TLS through the WinInet-named layer and the command line: pyftpdlib and vsftpd requiring
// TLS and session reuse, certificates the test makes, and a scripted server that speaks no TLS.
class FtpsTest : public QObject {
    Q_OBJECT

    struct Session {
        HINTERNET internet = 0, connect = 0;
        Session(int port, const char* host = "127.0.0.1", const char* user = "user",
                const char* password = "secret") {
            internet = InternetOpenA("Tovo FTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
            connect = InternetConnectA(internet, host, port, user, password, INTERNET_SERVICE_FTP,
                                       INTERNET_FLAG_PASSIVE | INTERNET_FLAG_SECURE, 0);
        }
        ~Session() { InternetCloseHandle(internet); }
    };
    struct NullView : CommandLineView {
        void AppendTranscript(const std::string&, std::uint32_t, bool) override {}
        void ShowMessage(const std::string&) override {}
    };

    TestCertificates m_certificates;
    QTemporaryDir m_dir;
    std::string m_trusted = m_dir.filePath(QStringLiteral("trusted.ini")).toStdString();
    std::vector<ServerCertificate> m_asked;

    void answer(CertificateDecision decision) {
        m_asked.clear();
        SetCertificateDecider([this, decision](const ServerCertificate& certificate) {
            m_asked.push_back(certificate);
            return decision;
        });
    }
    static QString startPyftpdlib(FtpTestServer& server, const TestCertificates::Files& files,
                                  const QString& maxVersion = QStringLiteral("1.3")) {
        server.requireTls(files.certificate, files.key, maxVersion);
        return server.start() ? QString() : server.error();
    }

private slots:
    void initTestCase() {
        SetNetworkTimeoutMs(5000);
        SetTrustedCertificatesFile(m_trusted);
    }
    void init() { QFile::remove(QString::fromStdString(m_trusted)); }

    void transfersOverTls_data() {
        QTest::addColumn<QString>("maxVersion"); // "" vsftpd: reuse required, TLS close at both ends
        QTest::newRow("pyftpdlib, TLS 1.3") << "1.3";
        QTest::newRow("vsftpd, strict") << "";
    }
    void transfersOverTls() {
        QFETCH(QString, maxVersion);
        const auto files = m_certificates.make(QStringLiteral("tovo"));
        const QByteArray big = RandomBytes(700 * 1024, 7);
        FtpTestServer pyftpdlib;
        RealFtpServer vsftpd(RealFtpServer::Kind::Vsftpd);
        const bool real = maxVersion.isEmpty();
        if (real && !RealFtpServer::unavailableReason().isEmpty())
            QSKIP(qPrintable(RealFtpServer::unavailableReason()));
        const QString root = (real ? vsftpd.root() : pyftpdlib.root()) + QLatin1Char('/');
        QVERIFY(WriteFileBytes(root + "big.bin", big));
        vsftpd.requireTls(files.certificate, files.key);
        QVERIFY(real ? vsftpd.start() : startPyftpdlib(pyftpdlib, files, maxVersion).isEmpty());
        answer(CertificateDecision::TrustOnce);
        Session session(real ? vsftpd.port() : pyftpdlib.port(), "127.0.0.1",
                        real ? RealFtpServer::kUser : "user", real ? RealFtpServer::kPassword : "secret");
        QVERIFY(session.connect != 0);
        // Each is a new data connection resuming the control connection's session.
        bool ok = false;
        QCOMPARE(WinInetFiles::read(session.connect, "big.bin", FTP_TRANSFER_TYPE_BINARY, ok),
                 big.toStdString());
        QVERIFY(WinInetFiles::write(session.connect, "up.bin", big.toStdString(), FTP_TRANSFER_TYPE_BINARY));
        QCOMPARE(ReadFileBytes(root + "up.bin"), big);
        // Only the control connection's certificate was put to the user, not the data connections'.
        QCOMPARE(m_asked.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(m_asked.front().sha256),
                 TestCertificates::fingerprint(files.certificate));
    }

    void certificateDecisions_data() {
        QTest::addColumn<QString>("stored"); // trusted before: "" none, "same" or "other" fingerprint
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
        const auto files = m_certificates.make(QStringLiteral("tovo"));
        FtpTestServer server;
        QCOMPARE(startPyftpdlib(server, files), QString());
        const std::string same = TestCertificates::fingerprint(files.certificate).toStdString();
        const std::string other(same.size(), 'A');
        const auto fingerprint = [&](const QString& which) {
            return which.isEmpty() ? "" : which == "same" ? same : other;
        };
        if (!stored.isEmpty())
            QVERIFY(TrustCertificate(m_trusted, "127.0.0.1", server.port(), fingerprint(stored)));
        answer(decision);
        for (int attempt = 0; attempt < 2; ++attempt)
            QCOMPARE(Session(server.port()).connect != 0, connects);
        QCOMPARE(int(m_asked.size()), asked);
        QCOMPARE(TrustedFingerprint(m_trusted, "127.0.0.1", server.port()).value_or(""),
                 fingerprint(storedAfter));
    }

    // The server refuses AUTH TLS, or accepts it and then speaks plain text: no login either way.
    void noTlsNoLogin_data() {
        QTest::addColumn<QString>("authReply");
        QTest::addColumn<bool>("commandLine");
        QTest::newRow("refused") << "500 Unknown command" << false;
        QTest::newRow("plain text, command line") << "234 Go ahead" << true;
    }
    void noTlsNoLogin() {
        QFETCH(QString, authReply);
        QFETCH(bool, commandLine);
        SetNetworkTimeoutMs(1500);
        ScriptedFtpServer server;
        server.on("AUTH", authReply.toStdString());
        QVERIFY(server.start());
        CommandSocket socket;
        NullView view;
        if (commandLine)
            QCOMPARE(
                RunCommandChannel(socket, view, true, "127.0.0.1", server.port(), "user", "pw", 1500, true),
                CommandChannelResult::NoCommandLine);
        else
            QCOMPARE(Session(server.port()).connect, HINTERNET{0});
        SetNetworkTimeoutMs(5000);
        QCOMPARE(server.commands().at(0), std::string("AUTH TLS"));
        for (const std::string& command : server.commands())
            QVERIFY(command.rfind("USER", 0) != 0 && command.rfind("PASS", 0) != 0);
    }
};

QTEST_GUILESS_MAIN(FtpsTest)
#include "Ftps_test.moc"

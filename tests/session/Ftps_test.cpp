#include "commandline/CommandLineView.h"
#include "commandline/CommandSocket.h"
#include "commandline/SocketFTP.h"
#include "profiles/TrustedCertificates.h"
#include "session/WinInetAPI.h"
#include "session/ftp/Stream.h"
#include "session/ftp/TlsContext.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/RealFtpServer.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WinInetFiles.h"

#include <QtTest>
#include <arpa/inet.h>
#include <thread>

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
    static std::shared_ptr<TlsServerContext> scripted(const TestCertificates::Files& files) {
        return std::make_shared<TlsServerContext>(files.certificate.toStdString(), files.key.toStdString(),
                                                  true);
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

    // TLS 1.2 data connections showing the control connection's certificate or another one, whose
    // session would be resumed next time: three downloads and a listing.
    void dataConnectionsProveWhoTheyAre_data() {
        QTest::addColumn<bool>("sameCertificate");
        QTest::newRow("the control connection's") << true;
        QTest::newRow("another") << false;
    }
    void dataConnectionsProveWhoTheyAre() {
        QFETCH(bool, sameCertificate);
        const auto control = m_certificates.make(QStringLiteral("tovo"));
        const auto other = m_certificates.make(QStringLiteral("posing"));
        ScriptedFtpServer server;
        server.useTls(scripted(control), scripted(sameCertificate ? control : other))
            .on("ABOR", "226 Aborted");
        server.on("RETR", Transfer("secret")).on("LIST", Transfer("-rw-r--r-- 1 a b 6 Jan 1 2020 f\r\n"));
        QVERIFY(server.start());
        const std::string trusted = TestCertificates::fingerprint(control.certificate).toStdString();
        QVERIFY(TrustCertificate(m_trusted, "127.0.0.1", server.port(), trusted));
        answer(CertificateDecision::Refuse);
        Session session(server.port());
        QVERIFY(session.connect != 0);
        int accepted = 0;
        for (int download = 0; download < 3; ++download) {
            bool ok = false;
            accepted +=
                WinInetFiles::read(session.connect, "f", FTP_TRANSFER_TYPE_BINARY, ok) == "secret" && ok;
        }
        accepted += int(WinInetFiles::list(session.connect, "*.*").size());
        QCOMPARE(accepted, sameCertificate ? 4 : 0);
        QCOMPARE(int(m_asked.size()), sameCertificate ? 0 : 4);
    }

    // 50,000 bytes announced (to SIZE, else in the 150); the data connection ends after sent bytes,
    // from offset on.
    void cutDownloadFails_data() {
        QTest::addColumn<QByteArray>("sizeReply");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("sent");
        QTest::addColumn<bool>("closeNotify");
        QTest::addColumn<bool>("whole");
        QTest::newRow("cut, bare close") << QByteArray("213 50000") << 0 << 20000 << false << false;
        QTest::newRow("cut, bare close, size in 150") << QByteArray() << 0 << 20000 << false << false;
        QTest::newRow("all, bare close") << QByteArray("213 50000") << 0 << 50000 << false << true;
        QTest::newRow("all, close_notify") << QByteArray() << 0 << 50000 << true << true;
        QTest::newRow("resumed, rest, bare close")
            << QByteArray("213 50000") << 30000 << 20000 << false << true;
        QTest::newRow("resumed, cut, bare close")
            << QByteArray("213 50000") << 10000 << 20000 << false << false;
    }
    void cutDownloadFails() {
        QFETCH(QByteArray, sizeReply);
        QFETCH(int, offset);
        QFETCH(int, sent);
        QFETCH(bool, closeNotify);
        const auto files = m_certificates.make(QStringLiteral("tovo"));
        const std::string content = RandomBytes(50000).toStdString();
        FtpAction retr = Transfer(content.substr(std::size_t(offset), std::size_t(sent)));
        retr.lines = sizeReply.isEmpty() ? "150 Opening data connection for f (50000 bytes)" : "150 Opening";
        retr.closeNotify = closeNotify;
        ScriptedFtpServer server;
        server.useTls(scripted(files), scripted(files)).on("RETR", retr).on("REST", "350 Restarting");
        if (!sizeReply.isEmpty())
            server.on("SIZE", sizeReply.toStdString());
        QVERIFY(server.start());
        answer(CertificateDecision::TrustOnce);
        Session session(server.port());
        bool ok = false;
        const std::string got =
            WinInetFiles::read(session.connect, "f", FTP_TRANSFER_TYPE_BINARY, ok, offset);
        QTEST(ok, "whole");
        QVERIFY(!ok || got == content.substr(std::size_t(offset)));
        // A TLS close vouches for the end: no SIZE asked.
        const std::vector<std::string> sentCommands = server.commands();
        QCOMPARE(int(std::count(sentCommands.begin(), sentCommands.end(), "SIZE f")), closeNotify ? 0 : 1);
    }

    // After the handshake the peer takes 1 KiB of records every 250 ms (4 KiB/s) through small
    // socket buffers, so one write takes several time-outs in all while it keeps moving.
    void slowTlsWriteKeepsGoing() {
        const auto files = m_certificates.make(QStringLiteral("tovo"));
        // TLS 1.2: no tickets left unread, whose arrival would make our close a reset.
        const TlsServerContext peerTls(files.certificate.toStdString(), files.key.toStdString(), true);
        const int small = 1024; // the least the kernel allows
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_storage address{};
        socklen_t length = sizeof(sockaddr_in);
        auto* loopback = reinterpret_cast<sockaddr_in*>(&address);
        loopback->sin_family = AF_INET;
        loopback->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        ssize_t received = 0;
        std::thread peer([&] {
            const int fd = ::accept(listener, nullptr, nullptr);
            SSL* ssl = peerTls.accept(fd);
            char buffer[1024];
            for (ssize_t got = 0; ssl && (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0; received += got)
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
            SSL_free(ssl);
            ::close(fd);
        });
        tovo::ftp::Stream stream;
        tovo::ftp::TlsContext tls("127.0.0.1", {});
        QVERIFY(stream.connect(address, length, 1000));
        ::setsockopt(stream.fd(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        QVERIFY(stream.beginTls(tls.newConnection(stream.fd())) && stream.finishTls(1000));
        const std::string data(16 * 1024, 'u');
        const bool sent = stream.sendAll(data.data(), data.size(), 1000);
        stream.close();
        peer.join();
        ::close(listener);
        QVERIFY(sent);
        QCOMPARE_GT(std::size_t(received), data.size()); // the records' overhead on top
    }

    // The command line meets a server that accepts AUTH TLS and then speaks plain text: no login.
    void plainTextAfterAuthNoLogin() {
        SetNetworkTimeoutMs(1500);
        ScriptedFtpServer server;
        server.on("AUTH", "234 Go ahead");
        QVERIFY(server.start());
        CommandSocket socket;
        NullView view;
        QCOMPARE(RunCommandChannel(socket, view, true, "127.0.0.1", server.port(), "user", "pw", 1500, true),
                 CommandChannelResult::NoCommandLine);
        SetNetworkTimeoutMs(5000);
        QCOMPARE(server.commands().at(0), std::string("AUTH TLS"));
        for (const std::string& command : server.commands())
            QVERIFY(!command.starts_with("USER") && !command.starts_with("PASS"));
    }
};

QTEST_GUILESS_MAIN(FtpsTest)
#include "Ftps_test.moc"

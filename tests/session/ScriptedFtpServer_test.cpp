#include "tests/support/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QtTest>

namespace {

// A bare blocking client, so the server is checked without our own FTP layer.
class LineClient {
public:
    explicit LineClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~LineClient() { ::close(m_fd); }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;
    bool connected() const { return m_connected; }
    void send(const QByteArray& command) {
        const QByteArray wire = command + "\r\n";
        QVERIFY(::send(m_fd, wire.constData(), static_cast<std::size_t>(wire.size()), MSG_NOSIGNAL) ==
                wire.size());
    }
    // Bytes until the peer closes (or 3 s of silence).
    QByteArray readAll() {
        QByteArray all = m_pending;
        m_pending.clear();
        char buffer[4096];
        pollfd entry{m_fd, POLLIN, 0};
        while (::poll(&entry, 1, 3000) > 0) {
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            all.append(buffer, got);
        }
        return all;
    }
    QByteArray line() {
        char buffer[4096];
        while (!m_pending.contains('\n')) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, 3000) <= 0)
                return {};
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return {};
            m_pending.append(buffer, got);
        }
        const qsizetype end = m_pending.indexOf('\n');
        const QByteArray text = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        return text;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    QByteArray m_pending;
};

} // namespace

// The scripted server is what the protocol tests trust; check it answers as it promises.
class ScriptedFtpServerTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsScriptsAndRecording() {
        ScriptedFtpServer server;
        server.reply("pwd", "257 \"/a\"");
        server.reply("PWD", "257 \"/b\"");
        server.reply("NOOP", "200-first\n200 last");
        QVERIFY(server.start());
        LineClient socket(server.port());
        QVERIFY(socket.connected());
        QCOMPARE(socket.line(), QByteArray("220 Scripted server ready"));
        socket.send("USER me");
        QCOMPARE(socket.line(), QByteArray("331 Password required"));
        socket.send("PWD");
        QCOMPARE(socket.line(), QByteArray("257 \"/a\""));
        socket.send("PWD");
        QCOMPARE(socket.line(), QByteArray("257 \"/b\""));
        socket.send("PWD"); // the last queued reply repeats
        QCOMPARE(socket.line(), QByteArray("257 \"/b\""));
        socket.send("noop");
        QCOMPARE(socket.line(), QByteArray("200-first"));
        QCOMPARE(socket.line(), QByteArray("200 last"));
        socket.send("XYZ");
        QCOMPARE(socket.line(), QByteArray("502 Command not implemented."));
        const std::vector<std::string> expected{"USER me", "PWD", "PWD", "PWD", "noop", "XYZ"};
        QCOMPARE(server.commands(), expected);
    }

    void passiveDataTransfer() {
        ScriptedFtpServer server;
        server.reply("PASV", "227 Entering Passive Mode (10,0,0,1,{p1},{p2})");
        server.setData("RETR", "hello data");
        QVERIFY(server.start());
        LineClient socket(server.port());
        QVERIFY(socket.connected());
        socket.line();
        socket.send("PASV");
        const QString pasv = QString::fromLatin1(socket.line());
        const auto match = QRegularExpression(QStringLiteral(R"(\(10,0,0,1,(\d+),(\d+)\))")).match(pasv);
        QVERIFY2(match.hasMatch(), qPrintable(pasv));
        const int port = match.captured(1).toInt() * 256 + match.captured(2).toInt();
        LineClient data(port);
        QVERIFY(data.connected());
        socket.send("RETR x");
        QCOMPARE(socket.line(), QByteArray("150 Opening data connection"));
        QCOMPARE(data.readAll(), QByteArray("hello data"));
        QCOMPARE(socket.line(), QByteArray("226 Transfer complete"));
    }

    void closeOnVerbEndsTheSession() {
        ScriptedFtpServer server;
        server.closeOn("CWD");
        QVERIFY(server.start());
        LineClient socket(server.port());
        QVERIFY(socket.connected());
        socket.line();
        socket.send("CWD x");
        QCOMPARE(socket.readAll(), QByteArray());
        QCOMPARE(server.connections(), 1);
    }
};

QTEST_GUILESS_MAIN(ScriptedFtpServerTest)
#include "ScriptedFtpServer_test.moc"

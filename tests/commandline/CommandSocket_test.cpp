#include "commandline/CommandSocket.h"

#include <QtTest>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Accepts one connection, sends the given bytes, then either closes or holds the connection
// until the client goes away; whatever the client sent is kept.
class OneShotServer {
public:
    OneShotServer(std::string bytes, bool closeAfterSending) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, bytes = std::move(bytes), closeAfterSending] {
            pollfd waiting{m_listener, POLLIN, 0};
            if (::poll(&waiting, 1, 5000) <= 0)
                return;
            const int fd = ::accept(m_listener, nullptr, nullptr);
            ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (!closeAfterSending) {
                char buffer[512];
                pollfd entry{fd, POLLIN, 0};
                while (::poll(&entry, 1, 5000) > 0) {
                    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                    if (n <= 0)
                        break;
                    m_received.append(buffer, static_cast<std::size_t>(n));
                }
            }
            ::close(fd);
        });
    }
    ~OneShotServer() {
        Join();
        ::close(m_listener);
    }
    OneShotServer(const OneShotServer&) = delete;
    OneShotServer& operator=(const OneShotServer&) = delete;

    int Port() const { return m_port; }
    void Join() {
        if (m_thread.joinable())
            m_thread.join();
    }
    std::string Received() {
        Join();
        return m_received;
    }

private:
    int m_listener = -1;
    int m_port = 0;
    std::string m_received;
    std::thread m_thread;
};

void Configure(CommandSocket& socket, const std::string& host, int port, std::size_t bufferLength = 1024) {
    socket.SetHostName(host);
    socket.SetRemotePort(port);
    socket.SetBufferLength(bufferLength);
    socket.SetTimeoutMs(400);
}

} // namespace

class CommandSocketTest : public QObject {
    Q_OBJECT
private slots:
    void linesAreSplitAtEveryLineEnd() {
        const std::string longLine(3000, 'x');
        OneShotServer server("220 a\r\n220 b\n\r\n" + longLine + "\r\nlast", true);
        CommandSocket socket;
        Configure(socket, "127.0.0.1", server.Port(), 7); // a small buffer splits lines across reads
        QCOMPARE(socket.Connect(), 0);
        bool ok = false;
        const std::vector<std::string> expected{"220 a", "220 b", "", longLine, "last"};
        for (const std::string& want : expected) {
            QCOMPARE(socket.ReceiveLine(ok), want);
            QVERIFY(ok);
        }
        QCOMPARE(socket.ReceiveLine(ok), std::string());
        QVERIFY(!ok);
        QVERIFY(!socket.IsConnected());
        QCOMPARE(socket.Send("NOOP\r\n"), -1);
    }

    void receiveTimesOutOnSilence() {
        OneShotServer server("220 partial line without end", false);
        CommandSocket socket;
        Configure(socket, "127.0.0.1", server.Port());
        QCOMPARE(socket.Connect(), 0);
        bool ok = true;
        socket.ReceiveLine(ok);
        QVERIFY(!ok);
        socket.Disconnect();
    }

    void connectToClosedPortFails() {
        int port = 0;
        {
            OneShotServer server("", true);
            port = server.Port();
            CommandSocket probe;
            Configure(probe, "127.0.0.1", port);
            QCOMPARE(probe.Connect(), 0);
        }
        CommandSocket socket;
        Configure(socket, "127.0.0.1", port);
        QVERIFY(socket.Connect() != 0);
        QCOMPARE(socket.State(), CommandSocket::StateClosed);
        QVERIFY(!socket.IsConnected());
    }

    void badSettingsFail_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("no host") << QByteArray() << 21;
        QTest::newRow("port 0") << QByteArray("127.0.0.1") << 0;
        QTest::newRow("port too high") << QByteArray("127.0.0.1") << 65536;
    }
    void badSettingsFail() {
        QFETCH(QByteArray, host);
        QFETCH(int, port);
        CommandSocket socket;
        Configure(socket, host.toStdString(), port);
        QVERIFY(socket.Connect() != 0);
        QVERIFY(!socket.IsConnected());
    }

    void sendAndStates() {
        OneShotServer server("", false);
        CommandSocket socket;
        QCOMPARE(socket.State(), CommandSocket::StateClosed);
        Configure(socket, "127.0.0.1", server.Port());
        QCOMPARE(socket.Connect(), 0);
        QVERIFY(socket.IsConnected());
        QCOMPARE(socket.State(), CommandSocket::StateConnected);
        QCOMPARE(socket.Send("USER anna\r\n"), 11);
        socket.Action(CommandSocket::CloseCommand);
        QCOMPARE(socket.State(), CommandSocket::StateClosing);
        QVERIFY(!socket.IsConnected());
        QCOMPARE(server.Received(), std::string("USER anna\r\n"));
        QCOMPARE(socket.Send("x"), -1);
        socket.Disconnect();
        QCOMPARE(socket.State(), CommandSocket::StateClosed);
    }
};

QTEST_GUILESS_MAIN(CommandSocketTest)
#include "CommandSocket_test.moc"

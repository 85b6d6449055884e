#include "commandline/CommandSocket.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/UnusedPort.h"

#include <QtTest>

class CommandSocketTest : public QObject {
    Q_OBJECT
    CommandSocket socket;

    int connectTo(const std::string& host, int port, std::size_t bufferLength = 1024) {
        socket.SetHostName(host);
        socket.SetRemotePort(port);
        socket.SetBufferLength(bufferLength);
        socket.SetTimeoutMs(400);
        return socket.Connect();
    }

private slots:
    void cleanup() { socket.Disconnect(); }

    void linesAreSplitAtEveryLineEnd() {
        const std::string longLine(3000, 'x');
        ScriptedFtpServer server;
        server.on("", CloseAfter("220 a\n220 b\n\n" + longLine));
        QVERIFY(server.start());
        QCOMPARE(connectTo("127.0.0.1", server.port(), 7), 0); // a small buffer splits lines across reads
        bool ok = false;
        for (const std::string& want :
             {std::string("220 a"), std::string("220 b"), std::string(), longLine}) {
            QCOMPARE(socket.ReceiveLine(ok), want);
            QVERIFY(ok);
        }
        QCOMPARE(socket.ReceiveLine(ok), std::string());
        QVERIFY(!ok);
        QVERIFY(!socket.IsConnected());
        QCOMPARE(socket.Send("NOOP\r\n"), -1);
    }

    void receiveTimesOutOnSilence() {
        ScriptedFtpServer server;
        server.on("", Silent());
        QVERIFY(server.start());
        QCOMPARE(connectTo("127.0.0.1", server.port()), 0);
        bool ok = true;
        socket.ReceiveLine(ok);
        QVERIFY(!ok);
    }

    void badSettingsFail_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("nobody listening") << QByteArray("127.0.0.1") << UnusedLoopbackPort();
        QTest::newRow("no host") << QByteArray() << 21;
        QTest::newRow("port 0") << QByteArray("127.0.0.1") << 0;
        QTest::newRow("port too high") << QByteArray("127.0.0.1") << 65536;
    }
    void badSettingsFail() {
        QFETCH(QByteArray, host);
        QFETCH(int, port);
        QVERIFY(connectTo(host.toStdString(), port) != 0);
        QVERIFY(!socket.IsConnected());
        QCOMPARE(socket.State(), CommandSocket::StateClosed);
    }

    void sendAndStates() {
        ScriptedFtpServer server;
        QVERIFY(server.start());
        QCOMPARE(connectTo("127.0.0.1", server.port()), 0);
        QCOMPARE(socket.State(), CommandSocket::StateConnected);
        QCOMPARE(socket.Send("USER anna\r\n"), 11);
        QTRY_COMPARE(server.commands(), std::vector<std::string>{"USER anna"});
        socket.Action(CommandSocket::CloseCommand);
        QCOMPARE(socket.State(), CommandSocket::StateClosing);
        QVERIFY(!socket.IsConnected());
        QCOMPARE(socket.Send("x"), -1);
        socket.Disconnect();
        QCOMPARE(socket.State(), CommandSocket::StateClosed);
    }
};

QTEST_GUILESS_MAIN(CommandSocketTest)
#include "CommandSocket_test.moc"

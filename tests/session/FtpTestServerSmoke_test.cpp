#include "tests/support/FtpTestServer.h"

#include <QTcpSocket>
#include <QtTest>

// The loopback server every server test relies on: it starts, greets and logs in a user.
class FtpTestServerSmokeTest : public QObject {
    Q_OBJECT
private slots:
    void greetsAndLogsIn() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(server.port()));
        QVERIFY(socket.waitForConnected(5000));
        QVERIFY(socket.waitForReadyRead(5000));
        QVERIFY(socket.readLine().startsWith("220"));
        socket.write("USER user\r\n");
        QVERIFY(socket.waitForReadyRead(5000));
        QVERIFY(socket.readLine().startsWith("331"));
        socket.write("PASS secret\r\n");
        QVERIFY(socket.waitForReadyRead(5000));
        QVERIFY(socket.readLine().startsWith("230"));
    }
};

QTEST_GUILESS_MAIN(FtpTestServerSmokeTest)
#include "FtpTestServerSmoke_test.moc"

// A file beyond every 32-bit limit goes up and comes back whole, with true progress on the bars, and
// the transfer pumps the message loop while it runs, far less often than it moves chunks.
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QProgressBar>
#include <QtTest>

class LargeTransferTest : public QObject {
    Q_OBJECT
    static constexpr qint64 kSize = qint64(3) << 30;

    static QByteArray hashOf(const QString& path) {
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Md5);
        return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
    }

private slots:
    void threeGiBUpAndDown() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        MainWindowHarness window;
        frmMain& form = window.form();
        const QString local = window.localDir() + QStringLiteral("big.img");
        // Mostly a hole, with data around the 2 GiB and 4 GiB-minus-one marks and at both ends.
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (qint64 at : {qint64(0), (qint64(2) << 30) - 700, (qint64(2) << 30) + 5, kSize - 3000})
            QVERIFY(file.seek(at) && file.write(QByteArray::number(at).repeated(100)) > 0);
        QVERIFY(file.resize(kSize));
        file.close();
        const QByteArray expected = hashOf(local);
        window.connectTo(server.port());
        SetNetworkTimeoutMs(30000);
        window.listLocal();
        double halfway = -1;
        int pumps = 0;
        window.onPump([&] {
            pumps += form.TransferHandle != 0;
            if (halfway < 0 && form.Label16->text().startsWith(QLatin1String("2,1")))
                halfway = double(form.ProgressBar2->value()) / form.ProgressBar2->maximum();
        });
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        window.clickLocal({QStringLiteral("big.img")});
        form.Picture2_Click();
        QCOMPARE(QFileInfo(server.path(QStringLiteral("big.img"))).size(), kSize);
        QVERIFY2(halfway > 0.66 && halfway < 0.72, qPrintable(QString::number(halfway)));
        QVERIFY2(pumps > 2 && pumps < kSize / 1024 / 4, qPrintable(QString::number(pumps)));
        QVERIFY(QFile::remove(local));
        pumps = 0;
        boxes.answerNext(vbOK);
        window.clickRemote({QStringLiteral("big.img")});
        form.Picture1_Click();
        QVERIFY2(pumps > 2 && pumps < kSize / 1024 / 4, qPrintable(QString::number(pumps)));
        QCOMPARE(boxes.texts(), QStringList(2, QStringLiteral("Data transfer completed.")));
        QCOMPARE(hashOf(local), expected); // the round trip's hash covers both directions
        QCOMPARE(form.ProgressBar2->value(), form.ProgressBar2->maximum());
    }
};

int main(int argc, char** argv) {
    // Both copies live in memory when the machine offers a memory file system: a disk makes this slow.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    QApplication app(argc, argv);
    LargeTransferTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LargeTransfer_test.moc"

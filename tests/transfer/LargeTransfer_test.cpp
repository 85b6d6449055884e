#include "app/ListView.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TransferFixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QtTest>

// A file beyond every 32-bit limit goes up and comes back whole, with true progress on the bars.
class LargeTransferTest : public QObject {
    Q_OBJECT

    static constexpr qint64 kSize = qint64(3) << 30;

    static QByteArray hashOf(const QString& path) {
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Md5);
        return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
    }

    // Mostly a hole, with data around the 2 GiB and 4 GiB-minus-one marks and at both ends.
    static void writeSparse(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (qint64 at : {qint64(0), (qint64(2) << 30) - 700, (qint64(2) << 30) + 5, kSize - 3000}) {
            QVERIFY(file.seek(at));
            QByteArray mark = QByteArray::number(at).repeated(100);
            QVERIFY(file.write(mark) == mark.size());
        }
        QVERIFY(file.resize(kSize));
    }

private slots:
    void threeGiBUpAndDown() {
        FtpTestServer server;
        TOVO_REQUIRE_SERVER(server);
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        SetNetworkTimeoutMs(30000);
        const QString local = f.localDir() + QStringLiteral("big.img");
        writeSparse(local);
        const QByteArray expected = hashOf(local);

        double halfwayFraction = -1;
        f.onPump([&] {
            const QProgressBar* bar = f.form().ProgressBar2;
            if (halfwayFraction < 0 && f.form().Label16->text().startsWith(QLatin1String("2,1")))
                halfwayFraction = double(bar->value()) / bar->maximum();
        });
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.armUpload(f.addLocalRow(QStringLiteral("big.img")));
        f.form().Picture2_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Data transfer completed.")});
        QCOMPARE(QFileInfo(server.path(QStringLiteral("big.img"))).size(), kSize);
        QCOMPARE(f.form().Label16->text(), QStringLiteral("3,145,728.0 Kb"));
        QCOMPARE(f.form().ProgressBar2->value(), f.form().ProgressBar2->maximum());
        QVERIFY2(halfwayFraction > 0.66 && halfwayFraction < 0.72,
                 qPrintable(QString::number(halfwayFraction)));

        QVERIFY(QFile::remove(local));
        boxes.clear();
        boxes.answerNext(vbOK);
        f.armDownload(f.addRemoteRow(QStringLiteral("big.img"), kSize));
        f.form().Picture1_Click();
        f.onPump({});
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Data transfer completed.")});
        QCOMPARE(QFileInfo(local).size(), kSize);
        // The round trip's hash covers both directions.
        QCOMPARE(hashOf(local), expected);
        QCOMPARE(f.form().Label16->text(), QStringLiteral("3,145,728.0 Kb"));
        QCOMPARE(f.form().ProgressBar2->value(), f.form().ProgressBar2->maximum());
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

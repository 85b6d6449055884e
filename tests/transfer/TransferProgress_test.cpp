// The running rate, progress-bar scaling of 64-bit counts and the queue's rules for rows and sizes.
#include "transfer/TransferProgress.h"
#include "transfer/TransferQueue.h"

#include <QtTest>
#include <climits>

class TransferProgressTest : public QObject {
    Q_OBJECT
private slots:
    void rateIsARunningAverage() {
        // 100000 bytes in 1 s is 100 kB/s; the first value shown is half of it.
        float rate = NextTransferRate(0, 100000, 1000);
        QCOMPARE(rate, 50.0f);
        rate = NextTransferRate(rate, 200000, 1000);
        QCOMPARE(rate, 125.0f);
        QCOMPARE(NextTransferRate(rate, 0, 1000), rate);
        QCOMPARE(NextTransferRate(rate, 5000, 0), rate);
        QCOMPARE(QString::fromStdString(SpeedText(125.25f)), QStringLiteral("125.2 Kbps"));
        QCOMPARE(QString::fromStdString(StatusRateText(125.25f)),
                 QStringLiteral("Transfer Rate:  125.25 Kbps"));
    }

    void progressScale_data() {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<double>("fraction");
        QTest::newRow("small") << qint64(5000) << qint64(2500) << 0.5;
        QTest::newRow("int max") << qint64(INT_MAX) << qint64(INT_MAX) << 1.0;
        QTest::newRow("3 GiB at three quarters") << (qint64(3) << 30) << (qint64(9) << 28) << 0.75;
        QTest::newRow("1 TiB") << (qint64(1) << 40) << (qint64(1) << 38) << 0.25;
        QTest::newRow("more than listed") << qint64(100) << qint64(150) << 1.0;
        QTest::newRow("empty total") << qint64(0) << qint64(0) << 0.0;
        QTest::newRow("negative total") << qint64(-5) << qint64(0) << 0.0;
    }
    void progressScale() {
        QFETCH(qint64, total);
        QFETCH(qint64, done);
        QFETCH(double, fraction);
        const ProgressScale scale(total);
        QVERIFY(scale.maximum() > 0);
        QCOMPARE(double(scale.value(done)) / scale.maximum(), fraction);
    }

    void downloadableRows_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<bool>("queued");
        QTest::newRow("file") << "a.txt" << 3 << true;
        QTest::newRow("folder") << "pub" << 12 << false;
        QTest::newRow("parent row") << ".^." << 19 << false;
        QTest::newRow("parent text, other icon") << ".^." << 1 << false;
    }
    void downloadableRows() {
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(bool, queued);
        QCOMPARE(IsDownloadableRow(text.toStdString(), icon), queued);
    }

    void sizeFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("size");
        QTest::newRow("beyond 32 bits") << "3221225472" << qint64(3221225472);
        QTest::newRow("not a number") << "abc" << qint64(0);
        QTest::newRow("leading blanks") << "  12" << qint64(12);
        QTest::newRow("trailing text") << "12Kb" << qint64(12);
        QTest::newRow("overflow saturates") << "99999999999999999999999" << qint64(LLONG_MAX);
    }
    void sizeFromText() {
        QFETCH(QString, text);
        QFETCH(qint64, size);
        QCOMPARE(QueuedSizeFromText(text.toStdString()), size);
    }
};

QTEST_GUILESS_MAIN(TransferProgressTest)
#include "TransferProgress_test.moc"

#include "transfer/TransferQueue.h"

#include <QtTest>
#include <limits>

// Byte counts and queue totals stop at the greatest value rather than wrapping round.
class TransferQueueTest : public QObject {
    Q_OBJECT

private slots:
    void addBytesSaturates_data() {
        constexpr qint64 greatest = std::numeric_limits<qint64>::max();
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<qint64>("sum");
        QTest::newRow("ordinary") << qint64(1024) << qint64(452) << qint64(1476);
        QTest::newRow("two sizes near 2^63") << greatest - 5 << greatest - 5 << greatest;
        QTest::newRow("one byte past the greatest") << greatest << qint64(1) << greatest;
    }
    void addBytesSaturates() {
        QFETCH(qint64, total);
        QFETCH(qint64, bytes);
        QTEST(qint64(AddBytes(total, bytes)), "sum");
    }
};

QTEST_GUILESS_MAIN(TransferQueueTest)
#include "TransferQueue_test.moc"

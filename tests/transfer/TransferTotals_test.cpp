#include "transfer/TransferProgress.h"
#include "transfer/TransferQueue.h"

#include <QtTest>
#include <cfloat>
#include <cmath>
#include <limits>

// Totals, bars and rate texts stay sane for the sizes a hostile listing can give.
class TransferTotalsTest : public QObject {
    Q_OBJECT
    static constexpr qint64 kMax = std::numeric_limits<qint64>::max();

private slots:
    void queueTotalSaturates_data() {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("sum");
        QTest::newRow("ordinary") << qint64(3) << qint64(4) << qint64(7);
        QTest::newRow("two huge sizes") << kMax << kMax << kMax;
        QTest::newRow("one past the limit") << kMax - 1 << qint64(2) << kMax;
        QTest::newRow("down to the limit") << -kMax << qint64(-5) << std::numeric_limits<qint64>::min();
    }
    void queueTotalSaturates() {
        QFETCH(qint64, total);
        QFETCH(qint64, size);
        QFETCH(qint64, sum);
        QCOMPARE(AddSaturating(total, size), sum);
        // The saturated total still scales onto a bar that fills up.
        const ProgressScale scale(AddSaturating(total, size));
        QCOMPARE(scale.value(kMax), scale.maximum());
    }

    void ratesAreHeld_data() {
        QTest::addColumn<float>("rate");
        QTest::addColumn<float>("shownAs");
        QTest::newRow("largest float") << FLT_MAX << 1e30f;
        QTest::newRow("infinite") << INFINITY << 1e30f;
        QTest::newRow("not a number") << NAN << 0.0f;
        QTest::newRow("below zero") << -5.0f << 0.0f;
    }
    void ratesAreHeld() {
        QFETCH(float, rate);
        QFETCH(float, shownAs);
        QCOMPARE(SpeedText(rate), SpeedText(shownAs));
        QCOMPARE(StatusRateText(rate), StatusRateText(shownAs));
        QVERIFY(SpeedText(rate).size() < 24);
    }
    void negativeCountShowsZero() { QCOMPARE(KbText(-512), KbText(0)); }
};

QTEST_GUILESS_MAIN(TransferTotalsTest)
#include "TransferTotals_test.moc"

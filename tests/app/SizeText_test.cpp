// File sizes in kilobytes as the remote list (1024, "Kb"), the local list (1000, " Kb") and the
// transfer panel (1024, one decimal) show them.
#include "app/SizeText.h"

#include <QtTest>

class SizeTextTest : public QObject {
    Q_OBJECT
private slots:
    void kilobyteText_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        const qint64 largest = std::numeric_limits<qint64>::max();
        QTest::newRow("remote empty") << qint64(0) << 1024 << 0 << "0Kb";
        QTest::newRow("remote below half") << qint64(511) << 1024 << 0 << "0Kb";
        QTest::newRow("remote half rounds up") << qint64(512) << 1024 << 0 << "1Kb";
        QTest::newRow("remote 2559") << qint64(2559) << 1024 << 0 << "2Kb";
        QTest::newRow("remote first separator") << qint64(1023488) << 1024 << 0 << "1,000Kb";
        QTest::newRow("remote 3 GiB") << qint64(3) * (1 << 30) << 1024 << 0 << "3,145,728Kb";
        QTest::newRow("remote largest") << largest << 1024 << 0 << "9,007,199,254,740,992Kb";
        QTest::newRow("local below half") << qint64(499) << 1000 << 0 << "0 Kb";
        QTest::newRow("local half rounds up") << qint64(500) << 1000 << 0 << "1 Kb";
        QTest::newRow("local is of 1000") << qint64(1024) << 1000 << 0 << "1 Kb";
        QTest::newRow("local no separator") << qint64(999499) << 1000 << 0 << "999 Kb";
        QTest::newRow("local first separator") << qint64(999500) << 1000 << 0 << "1,000 Kb";
        QTest::newRow("local beyond 32 bits") << qint64(5000000000) << 1000 << 0 << "5,000,000 Kb";
        QTest::newRow("local largest") << largest << 1000 << 0 << "9,223,372,036,854,776 Kb";
        QTest::newRow("panel zero") << qint64(0) << 1024 << 1 << "0.0 Kb";
        QTest::newRow("panel 2500") << qint64(2500) << 1024 << 1 << "2.4 Kb";
        QTest::newRow("panel below half") << qint64(1075) << 1024 << 1 << "1.0 Kb";
        QTest::newRow("panel half rounds up") << qint64(1076) << 1024 << 1 << "1.1 Kb";
        QTest::newRow("panel grouped") << qint64(1234567) << 1024 << 1 << "1,205.6 Kb";
        QTest::newRow("panel 3 GiB") << qint64(3) * (1 << 30) << 1024 << 1 << "3,145,728.0 Kb";
        QTest::newRow("panel largest") << largest << 1024 << 1 << "9,007,199,254,740,992.0 Kb";
    }
    void kilobyteText() {
        QFETCH(qint64, bytes);
        QFETCH(int, unit);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        const char* suffix = unit == 1024 && decimals == 0 ? "Kb" : " Kb";
        QCOMPARE(QString::fromStdString(KilobyteText(bytes, unit, decimals, suffix)), text);
    }
};

QTEST_APPLESS_MAIN(SizeTextTest)
#include "SizeText_test.moc"

// The running rate, bar scaling of 64-bit counts, the queue's rules for rows and sizes, the saturating
// totals a hostile listing can force, and the ASCII (1) or binary (2) choice by name and mode.
#include "app/SizeText.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/TransferProgress.h"
#include "transfer/TransferQueue.h"

#include <QtTest>
#include <cfloat>
#include <climits>
#include <cmath>

class TransferProgressTest : public QObject {
    Q_OBJECT
private slots:
    void rateIsARunningAverage() {
        const float rate = NextTransferRate(NextTransferRate(0, 100000, 1000), 200000, 1000);
        QCOMPARE(rate, 125.0f); // 50 after the first second
        QCOMPARE(NextTransferRate(rate, 0, 1000), rate);
        QCOMPARE(NextTransferRate(rate, 5000, 0), rate);
        QCOMPARE(SpeedText(125.25f), std::string("125.2 Kbps"));
        QCOMPARE(StatusRateText(125.25f), std::string("Transfer Rate:  125.25 Kbps"));
        QCOMPARE(KilobyteText(-512, 1024, 1, " Kb"), std::string("0.0 Kb"));
    }
    void ratesAreHeld_data() {
        QTest::addColumn<float>("rate");
        QTest::addColumn<float>("shownAs");
        QTest::newRow("max") << FLT_MAX << 1e30f;
        QTest::newRow("inf") << INFINITY << 1e30f;
        QTest::newRow("nan") << NAN << 0.0f;
        QTest::newRow("negative") << -5.0f << 0.0f;
    }
    void ratesAreHeld() {
        QFETCH(float, rate);
        QFETCH(float, shownAs);
        QCOMPARE(SpeedText(rate), SpeedText(shownAs));
        QCOMPARE(StatusRateText(rate), StatusRateText(shownAs));
    }

    void progressScale_data() {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<double>("fraction");
        const auto row = [](const char* name, qint64 total, qint64 done, double fraction) {
            QTest::newRow(name) << total << done << fraction;
        };
        row("small", 5000, 2500, 0.5), row("int max", INT_MAX, INT_MAX, 1),
            row("more than listed", 100, 150, 1);
        row("3 GiB", qint64(3) << 30, qint64(9) << 28, 0.75),
            row("1 TiB", qint64(1) << 40, qint64(1) << 38, 0.25);
        row("empty", 0, 0, 0), row("negative", -5, 0, 0), row("saturated", LLONG_MAX, LLONG_MAX, 1);
    }
    void progressScale() {
        QFETCH(qint64, total);
        QFETCH(qint64, done);
        QFETCH(double, fraction);
        const ProgressScale scale(total);
        QVERIFY(scale.maximum() > 0);
        QCOMPARE(double(scale.value(done)) / scale.maximum(), fraction);
    }

    void queueRules() {
        QVERIFY(IsDownloadableRow("a.txt", 3) && !IsDownloadableRow("pub", 12));
        QVERIFY(!IsDownloadableRow(".^.", 19) && !IsDownloadableRow(".^.", 1));
        for (const auto& [text, size] : {std::pair{"3221225472", 3221225472LL},
                                         {"abc", 0LL},
                                         {"  12", 12LL},
                                         {"12Kb", 12LL},
                                         {"99999999999999999999999", LLONG_MAX}})
            QCOMPARE(QueuedSizeFromText(text), size);
        for (const auto& [a, b, sum] : {std::tuple{3LL, 4LL, 7LL},
                                        {LLONG_MAX, LLONG_MAX, LLONG_MAX},
                                        {LLONG_MAX - 1, 2LL, LLONG_MAX},
                                        {-LLONG_MAX, -5LL, LLONG_MIN}})
            QCOMPARE(AddBytes(a, b), sum);
    }

    void transferType_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        const int automatic = int(TransferMode::Auto);
        for (const char* text : {"readme.txt", "Index.Html", "log"})
            QTest::newRow(text) << automatic << text << 1;
        for (const char* binary :
             {"photo.jpg", "notes.txt.bak", "Makefile", ".profile", "name.", "f.htmx", ""})
            QTest::newRow(binary) << automatic << binary << 2;
        QTest::newRow("ASCII forces 1") << int(TransferMode::Ascii) << "photo.jpg" << 1;
        QTest::newRow("binary forces 2") << int(TransferMode::Binary) << "readme.txt" << 2;
    }
    void transferType() {
        QFETCH(int, mode);
        QFETCH(QString, name);
        QFETCH(int, type);
        QCOMPARE(TransferTypeForMode(static_cast<TransferMode>(mode), name.toStdString()), type);
        if (mode == int(TransferMode::Auto)) {
            // The automatic open records the type even when the open fails (not connected here).
            CurrentTransferType = 3 - type;
            QCOMPARE(OpenRemoteFileAuto(name.toStdString(), "/" + name.toStdString()), HINTERNET{0});
            QCOMPARE(CurrentTransferType, type);
        }
    }
};

QTEST_GUILESS_MAIN(TransferProgressTest)
#include "TransferProgress_test.moc"

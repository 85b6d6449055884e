// The running rate, bar scaling of 64-bit counts, the queue's saturating totals a hostile listing can
// force, and the ASCII (1) or binary (2) choice by name and mode.
#include "toolkit/SizeText.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/TransferProgress.h"
#include "transfer/TransferQueue.h"

#include <QtTest>
#include <climits>
#include <cmath>

class TransferProgressTest : public QObject {
    Q_OBJECT
private slots:
    void rateIsARunningAverage() {
        const float rate = NextTransferRate(NextTransferRate(0, 100000, 1000), 200000, 1000);
        QCOMPARE(rate, 125.0f); // 50 after the first second
        QCOMPARE(NextTransferRate(rate, 5000, 0), rate);
        QCOMPARE(SpeedText(INFINITY), SpeedText(1e30f));
        QCOMPARE(StatusRateText(NAN), StatusRateText(0));
    }

    void progressScale_data() {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<double>("fraction");
        QTest::newRow("more than listed") << qint64(100) << qint64(150) << 1.0;
        QTest::newRow("3 GiB") << (qint64(3) << 30) << (qint64(9) << 28) << 0.75;
        QTest::newRow("empty") << qint64(0) << qint64(0) << 0.0;
        QTest::newRow("saturated") << qint64(LLONG_MAX) << qint64(LLONG_MAX) << 1.0;
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
        QVERIFY(IsDownloadableRow("a.txt", 3) && !IsDownloadableRow("pub", 12) &&
                !IsDownloadableRow(".^.", 1));
        for (const auto& [text, size] :
             {std::pair{"3221225472", 3221225472LL}, {"abc", 0LL}, {"99999999999999999999999", LLONG_MAX}})
            QCOMPARE(QueuedSizeFromText(text), size);
        QCOMPARE(AddBytes(LLONG_MAX - 1, 2), LLONG_MAX);
        QCOMPARE(AddBytes(-LLONG_MAX, -5), LLONG_MIN);
        // Which refusals of one file let the rest of a queue go on: not a 421 or no reply at all.
        for (const auto& [reply, onlyThisFile] :
             {std::pair{"550 No such file", true}, {"421 Timeout", false}, {"", false}})
            QCOMPARE(RefusesOnlyThisFile(reply), onlyThisFile);
    }

    void transferType_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        const int automatic = int(TransferMode::Auto);
        for (const char* text : {"readme.txt", "Index.Html", "log"})
            QTest::newRow(text) << automatic << text << 1;
        for (const char* binary : {"photo.jpg", "notes.txt.bak", "Makefile", ".profile", "name."})
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

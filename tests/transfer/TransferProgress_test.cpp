// The running rate, bar scaling of 64-bit counts, the queue's saturating totals a hostile listing can
// force, its order and closing counts, the rules for an existing target, and the ASCII (1) or binary
// (2) choice by name and mode.
#include "toolkit/SizeText.h"
#include "transfer/ExistsPolicy.h"
#include "transfer/ExtensionCompare.h"
#include "transfer/FileTimes.h"
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

    void queueOrderAndCounts() {
        TransferQueue queue;
        for (const ItemState state :
             {ItemState::Done, ItemState::Skipped, ItemState::Waiting, ItemState::Waiting})
            queue.add({.source = "/s", .target = "/t", .size = 1, .state = state});
        QCOMPARE(queue.nextWaiting(), 2u);
        QCOMPARE(ClosingMessage(CountOutcome(queue)),
                 "Data transfer completed.\n\nFiles moved: 1\nSkipped: 1\nFailed: 0");
        queue.setState(2, ItemState::Done);
        queue.setState(3, ItemState::Done);
        queue.add({.folder = true, .state = ItemState::Done});
        QCOMPARE(ClosingMessage(CountOutcome(queue)),
                 "Data transfer completed.\n\nFiles moved: 3\nSkipped: 1\nFailed: 0");
        queue.setState(4, ItemState::Failed); // a folder that could not be read
        queue.setState(1, ItemState::Done);
        QCOMPARE(ClosingMessage(CountOutcome(queue)),
                 "Data transfer ended with failures.\n\nFiles moved: 4\nSkipped: 0\nFailed: 1");
        queue.setState(4, ItemState::Done);
        QCOMPARE(ClosingMessage(CountOutcome(queue)), "Data transfer completed.");
        QCOMPARE(queue.nextWaiting(), TransferQueue::AllItems);
        for (const auto& [path, name] :
             {std::pair{"/a/b/", "b"}, {"/", ""}, {"c", "c"}, {"/a/b.bin", "b.bin"}})
            QCOMPARE(LastPathName(path), name);
        QCOMPARE(JoinPath("/a/", "x") + JoinPath("/b", "y"), "/a/x/b/y");
        const FILETIME time = FileTimeFromUnixSeconds(983923200);
        QCOMPARE(UnixSecondsFromFileTime(time), 983923200);
        QVERIFY(!UnixSecondsFromFileTime({0, 0}));
        const auto taken = [](const std::string& name) {
            return name == "a.tar (1).gz" || name == ".rc (1)";
        };
        QCOMPARE(KeepBothName("a.tar.gz", taken) + KeepBothName(".rc", taken), "a.tar (2).gz.rc (2)");
    }

    // DecideExisting for every setting; Ask yields Cancel (the caller asks), and an answer given once
    // applies to later files only where it can.
    void existingTarget_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QList<qint64>>("facts"); // source size, time, target size, time (0: unknown)
        QTest::addColumn<bool>("binary");
        QTest::addColumn<int>("action");
        const auto row = [](const char* name, WhenExists setting, QList<qint64> facts, bool binary,
                            ExistsAction action) {
            QTest::newRow(name) << int(setting) << facts << binary << int(action);
        };
        row("replace", WhenExists::Replace, {5, 0, 9, 0}, true, ExistsAction::Replace);
        row("skip", WhenExists::Skip, {5, 0, 9, 0}, true, ExistsAction::Skip);
        row("ask", WhenExists::Ask, {5, 0, 9, 0}, true, ExistsAction::Cancel);
        row("newer", WhenExists::ReplaceIfNewerOrDifferent, {5, 200, 5, 100}, true, ExistsAction::Replace);
        row("older, same size", WhenExists::ReplaceIfNewerOrDifferent, {5, 100, 5, 200}, true,
            ExistsAction::Skip);
        row("times unknown, same size", WhenExists::ReplaceIfNewerOrDifferent, {5, 0, 5, 100}, true,
            ExistsAction::Skip);
        row("older, other size", WhenExists::ReplaceIfNewerOrDifferent, {5, 100, 6, 200}, true,
            ExistsAction::Replace);
        row("resume a smaller target", WhenExists::Resume, {9, 0, 5, 0}, true, ExistsAction::Resume);
        row("resume, ASCII", WhenExists::Resume, {9, 0, 5, 0}, false, ExistsAction::Replace);
        row("resume, target not smaller", WhenExists::Resume, {9, 0, 9, 0}, true, ExistsAction::Replace);
    }
    void existingTarget() {
        QFETCH(int, setting);
        QFETCH(QList<qint64>, facts);
        QFETCH(bool, binary);
        const auto time = [](qint64 t) { return t ? std::optional<std::int64_t>(t) : std::nullopt; };
        const FileFacts source{facts[0], time(facts[1])}, target{facts[2], time(facts[3])};
        QTEST(int(DecideExisting(WhenExists(setting), source, target, binary)), "action");
        QCOMPARE(ApplicableAction(ExistsAction::Resume, source, target, binary) == ExistsAction::Resume,
                 ResumeApplies(source, target, binary));
        QCOMPARE(ApplicableAction(ExistsAction::KeepBoth, source, target, binary), ExistsAction::KeepBoth);
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

#include "app/ListView.h"
#include "app/StatusBar.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "tests/support/TransferFixture.h"
#include "transfer/StopResize.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QtTest>

// The download button against a real server: queue, chunk loop, local files, cancel and failures.
class DownloadTest : public QObject {
    Q_OBJECT

    FtpTestServer m_server;
    const QString m_completed = QStringLiteral("Data transfer completed.");

    void expectCompletion(MsgBoxRecorder& boxes) { boxes.answerNext(vbOK); }

private slots:
    void initTestCase() { TOVO_REQUIRE_SERVER(m_server); }

    void downloadsExactBytes_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<QString>("kb");
        QTest::newRow("empty") << qsizetype(0) << QStringLiteral("0.0 Kb");
        QTest::newRow("one chunk exactly") << qsizetype(1024) << QStringLiteral("1.0 Kb");
        QTest::newRow("1024+1024+452") << qsizetype(2500) << QStringLiteral("2.4 Kb");
        QTest::newRow("several hundred chunks") << qsizetype(700 * 1024 + 3) << QStringLiteral("700.0 Kb");
    }
    void downloadsExactBytes() {
        QFETCH(qsizetype, size);
        QFETCH(QString, kb);
        const QByteArray content = TransferFixture::RandomBytes(size);
        m_server.writeFile(QStringLiteral("data.bin"), content);
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.armDownload(f.addRemoteRow(QStringLiteral("data.bin"), size));
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QCOMPARE(boxes.calls().first().style, vbOKOnly | vbInformation);
        QCOMPARE(boxes.calls().first().title, QStringLiteral("Tovo FTP"));
        QVERIFY(f.localExists(QStringLiteral("data.bin")));
        QCOMPARE(f.readLocal(QStringLiteral("data.bin")), content);
        QCOMPARE(f.form().Label16->text(), kb);
        QCOMPARE(f.form().Label11->text(), QString::number(size)); // plain byte count for a download
        // Panel hidden, queue empty, window free, no leftovers beside the file.
        QVERIFY(!f.form().cmdCancel->isVisible());
        QCOMPARE(f.form().List1->count(), 0);
        QCOMPARE(f.form().StatusBar1->PanelText(3), QString());
        QVERIFY(!StopResize.HookInstalled);
        QCOMPARE(f.localEntries(), QStringList{QStringLiteral("data.bin")});
        // The local pane was listed again and shows the new file.
        QCOMPARE(f.form().ListView1->Count(), 1);
        QCOMPARE(ListView::Text(f.form().ListView1->Item(1)), QStringLiteral("data.bin"));
    }

    void queueShowsCountNumbersAndFileBar_data() {
        QTest::addColumn<int>("files");
        QTest::newRow("one file: queue bar only") << 1;
        QTest::newRow("three files: per-file bar too") << 3;
    }
    void queueShowsCountNumbersAndFileBar() {
        QFETCH(int, files);
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        QTreeWidgetItem* first = nullptr;
        for (int i = 1; i <= files; ++i) {
            const QString name = QStringLiteral("q%1.bin").arg(i);
            m_server.writeFile(name, TransferFixture::RandomBytes(5000 * i));
            QTreeWidgetItem* row = f.addRemoteRow(name, 5000 * i);
            if (!first)
                first = row;
        }
        f.armDownload(first);
        QSet<QString> numbers;
        QString count;
        bool fileBarSeen = false;
        int fileBarMoves = 0;
        f.onPump([&] {
            numbers.insert(f.form().Label15->text());
            count = f.form().Label14->text();
            fileBarSeen = fileBarSeen || f.form().ProgressBar1->isVisible();
            if (f.form().ProgressBar1->value() > 0)
                ++fileBarMoves;
        });
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        f.onPump({});
        QCOMPARE(count, QStringLiteral("/ %1").arg(files));
        QSet<QString> expected;
        for (int i = 1; i <= files; ++i)
            expected.insert(QString::number(i));
        QCOMPARE(numbers, expected);
        QCOMPARE(fileBarSeen, files > 1);
        QVERIFY(fileBarMoves > 0);
        for (int i = 1; i <= files; ++i)
            QCOMPARE(f.readLocal(QStringLiteral("q%1.bin").arg(i)).size(), 5000 * i);
    }

    void commandDoesNothingWithoutAFileRow_data() {
        QTest::addColumn<bool>("clicked");
        QTest::addColumn<int>("icon");
        QTest::newRow("no row clicked since the last transfer") << false << 1;
        QTest::newRow("folder row current") << true << 12;
    }
    void commandDoesNothingWithoutAFileRow() {
        QFETCH(bool, clicked);
        QFETCH(int, icon);
        m_server.writeFile(QStringLiteral("here.txt"), "x");
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.armDownload(f.addRemoteRow(QStringLiteral("here.txt"), 1, icon));
        f.form().RemoteItemSelected = clicked;
        MsgBoxRecorder boxes; // any message fails the test
        f.form().Picture1_Click();
        QVERIFY(boxes.calls().isEmpty());
        QVERIFY(!f.localExists(QStringLiteral("here.txt")));
        QCOMPARE(f.form().List1->count(), 0);
    }

    void currentRowWithoutSelectionCompletesAtOnce() {
        m_server.writeFile(QStringLiteral("lone.txt"), "abc");
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        QTreeWidgetItem* row = f.addRemoteRow(QStringLiteral("lone.txt"), 3);
        f.armDownload(row);
        ListView::SetSelected(row, false);
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QVERIFY(!f.localExists(QStringLiteral("lone.txt")));
    }

    void foldersAndParentRowAreLeftOutOfTheQueue() {
        m_server.writeFile(QStringLiteral("keep.txt"), "payload");
        m_server.makeDir(QStringLiteral("folder"));
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.addRemoteRow(QStringLiteral(".^."), 0, 19);
        f.addRemoteRow(QStringLiteral("folder"), 0, 12);
        QTreeWidgetItem* file = f.addRemoteRow(QStringLiteral("keep.txt"), 7);
        f.armDownload(file);
        QString count;
        f.onPump([&] { count = f.form().Label14->text(); });
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QCOMPARE(count, QStringLiteral("/ 1"));
        QCOMPARE(f.localEntries(), QStringList{QStringLiteral("keep.txt")});
    }

    void refusedOpenEndsSilently() {
        m_server.writeFile(QStringLiteral("first.txt"), "one");
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        QTreeWidgetItem* row = f.addRemoteRow(QStringLiteral("first.txt"), 3);
        f.addRemoteRow(QStringLiteral("missing.txt"), 10);
        f.addRemoteRow(QStringLiteral("never.txt"), 10);
        f.armDownload(row);
        MsgBoxRecorder boxes;
        f.form().Picture1_Click();
        QVERIFY(boxes.calls().isEmpty());
        QCOMPARE(f.readLocal(QStringLiteral("first.txt")), QByteArray("one"));
        QVERIFY(!f.localExists(QStringLiteral("missing.txt")));
        QVERIFY(!f.form().cmdCancel->isVisible());
        QCOMPARE(f.form().List1->count(), 0);
        QVERIFY(!StopResize.HookInstalled);

        // The next download starts from an empty queue.
        f.form().lstRemoteFiles->ClearRows();
        f.armDownload(f.addRemoteRow(QStringLiteral("first.txt"), 3));
        QString count;
        f.onPump([&] { count = f.form().Label14->text(); });
        expectCompletion(boxes);
        f.form().Picture1_Click();
        QCOMPARE(count, QStringLiteral("/ 1"));
        QCOMPARE(boxes.texts(), QStringList{m_completed});
    }

    void existingLongerFileIsReplacedExactly() {
        m_server.writeFile(QStringLiteral("over.txt"), "short");
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.writeLocal(QStringLiteral("over.txt"), QByteArray(10000, 'L'));
        f.armDownload(f.addRemoteRow(QStringLiteral("over.txt"), 5));
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        QCOMPARE(f.readLocal(QStringLiteral("over.txt")), QByteArray("short"));
    }

    void cancelDuringSecondFileKeepsFirstAndWritesNoSecond() {
        const QByteArray first = TransferFixture::RandomBytes(3000);
        m_server.writeFile(QStringLiteral("c1.bin"), first);
        m_server.writeFile(QStringLiteral("c2.bin"), TransferFixture::RandomBytes(300 * 1024));
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        // An older local copy of the second file must survive the cancel untouched.
        f.writeLocal(QStringLiteral("c2.bin"), "old copy");
        QTreeWidgetItem* row = f.addRemoteRow(QStringLiteral("c1.bin"), 3000);
        f.addRemoteRow(QStringLiteral("c2.bin"), 300 * 1024);
        f.armDownload(row);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        bool cancelled = false;
        f.onPump([&] {
            if (!cancelled && f.form().Label15->text() == QLatin1String("2")) {
                cancelled = true;
                f.form().cmdCancel_Click();
            }
        });
        f.form().Picture1_Click();
        f.onPump({});
        QVERIFY(cancelled);
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("Are you sure you want to cancel file transfer?")});
        QCOMPARE(boxes.calls().first().style, vbYesNo | vbQuestion);
        QCOMPARE(boxes.calls().first().title, QStringLiteral("Cancel Transfer"));
        QCOMPARE(f.readLocal(QStringLiteral("c1.bin")), first);
        QCOMPARE(f.readLocal(QStringLiteral("c2.bin")), QByteArray("old copy"));
        QCOMPARE(f.localEntries().size(), 2); // no partial file left beside them
        QVERIFY(!f.form().cmdCancel->isVisible());
        QCOMPARE(f.form().StatusBar1->PanelText(3), QString());
        QCOMPARE(f.form().List1->count(), 0);
        QVERIFY(!StopResize.HookInstalled);
        QVERIFY(!f.form().CancelRequested);
    }

    void cancelAnsweredNoGoesOn() {
        const QByteArray content = TransferFixture::RandomBytes(200 * 1024);
        m_server.writeFile(QStringLiteral("go.bin"), content);
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.armDownload(f.addRemoteRow(QStringLiteral("go.bin"), content.size()));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbNo);
        expectCompletion(boxes);
        bool asked = false;
        bool panelAfterNo = false;
        f.onPump([&] {
            if (!asked && f.form().Label15->text() == QLatin1String("1")) {
                asked = true;
                f.form().cmdCancel_Click();
                panelAfterNo = f.form().cmdCancel->isVisible() && f.form().ProgressBar2->isVisible();
            }
        });
        f.form().Picture1_Click();
        f.onPump({});
        QVERIFY(asked);
        QVERIFY(panelAfterNo);
        QCOMPARE(boxes.texts().last(), m_completed);
        QCOMPARE(f.readLocal(QStringLiteral("go.bin")), content);
    }

    void staleCancelDoesNotStopTheNextTransfer() {
        m_server.writeFile(QStringLiteral("stale.txt"), QByteArray(5000, 's'));
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.form().CancelRequested = true;
        f.armDownload(f.addRemoteRow(QStringLiteral("stale.txt"), 5000));
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QCOMPARE(f.readLocal(QStringLiteral("stale.txt")).size(), 5000);
    }

    void secondCommandWhileRunningIsIgnored() {
        m_server.writeFile(QStringLiteral("busy.bin"), TransferFixture::RandomBytes(100 * 1024));
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        QTreeWidgetItem* row = f.addRemoteRow(QStringLiteral("busy.bin"), 100 * 1024);
        f.armDownload(row);
        bool tried = false;
        f.onPump([&] {
            if (!tried) {
                tried = true;
                f.form().RemoteItemSelected = true;
                f.form().Picture1_Click();
                f.form().LocalItemSelected = true;
                f.form().Picture2_Click();
            }
        });
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        f.onPump({});
        QVERIFY(tried);
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QVERIFY(f.form().RemoteItemSelected); // the ignored click did not consume the selection
        QVERIFY(!f.form().TransferRunning);
    }

    void nameLeavingTheLocalFolderIsNotWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("path") << QStringLiteral("sub/inner.txt");
        QTest::newRow("dot") << QStringLiteral(".");
        QTest::newRow("dot dot") << QStringLiteral("..");
    }
    void nameLeavingTheLocalFolderIsNotWritten() {
        QFETCH(QString, name);
        m_server.writeFile(QStringLiteral("sub/inner.txt"), "inner");
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.armDownload(f.addRemoteRow(name, 5));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("error")});
        QCOMPARE(boxes.calls().first().style, int(vbOKOnly));
        QVERIFY(f.localEntries().isEmpty());
        QVERIFY(!f.form().cmdCancel->isVisible());
        QVERIFY(!StopResize.HookInstalled);
    }

    void windowSizeIsPinnedWhileRunning() {
        m_server.writeFile(QStringLiteral("pin.bin"), TransferFixture::RandomBytes(100 * 1024));
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.armDownload(f.addRemoteRow(QStringLiteral("pin.bin"), 100 * 1024));
        QSize during;
        QSize pinned;
        f.onPump([&] {
            if (pinned.isValid())
                return;
            pinned = f.form().size();
            f.form().resize(pinned + QSize(120, 90)); // a drag on the border
            during = f.form().size();
        });
        MsgBoxRecorder boxes;
        expectCompletion(boxes);
        f.form().Picture1_Click();
        f.onPump({});
        QVERIFY(pinned.isValid());
        QCOMPARE(during, pinned);
        const QSize after = f.form().size() + QSize(120, 90);
        f.form().resize(after);
        QCOMPARE(f.form().size(), after);
    }

    // Failures only a scripted server gives on demand.
    void failureIsReportedAndLeavesLocalFileAlone_data() {
        QTest::addColumn<int>("dropAfter");
        QTest::addColumn<QString>("finalReply");
        QTest::newRow("data connection reset") << 1500 << QStringLiteral("226 Transfer complete");
        QTest::newRow("server refuses the end") << -1 << QStringLiteral("451 Local error in processing");
    }
    void failureIsReportedAndLeavesLocalFileAlone() {
        QFETCH(int, dropAfter);
        QFETCH(QString, finalReply);
        ScriptedFtpServer server;
        server.on("RETR", Transfer(std::string(4000, 'r'), finalReply.toStdString(),
                                   dropAfter < 0 ? std::string::npos : static_cast<std::size_t>(dropAfter)));
        QVERIFY(server.start());
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        f.writeLocal(QStringLiteral("broken.bin"), "previous");
        f.armDownload(f.addRemoteRow(QStringLiteral("broken.bin"), 4000));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture1_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("error")});
        QCOMPARE(f.readLocal(QStringLiteral("broken.bin")), QByteArray("previous"));
        QCOMPARE(f.localEntries(), QStringList{QStringLiteral("broken.bin")});
        QVERIFY(!f.form().cmdCancel->isVisible());
        QVERIFY(!StopResize.HookInstalled);
    }
};

QTEST_MAIN(DownloadTest)
#include "Download_test.moc"

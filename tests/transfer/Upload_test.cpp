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
#include <QtTest>

namespace {

int countOf(const std::vector<std::string>& commands, const std::string& prefix) {
    return static_cast<int>(std::count_if(commands.begin(), commands.end(), [&](const std::string& line) {
        return line.rfind(prefix, 0) == 0;
    }));
}

} // namespace

// The upload button against a real server: chunks, queue display, "Failed", cancel.
class UploadTest : public QObject {
    Q_OBJECT

    FtpTestServer m_server;
    const QString m_completed = QStringLiteral("Data transfer completed.");

    static void queueThree(TransferFixture& f) {
        QTreeWidgetItem* first = nullptr;
        for (const QString& name :
             {QStringLiteral("f1.bin"), QStringLiteral("f2.bin"), QStringLiteral("f3.bin")}) {
            f.writeLocal(name, QByteArray(3000, 'w'));
            QTreeWidgetItem* row = f.addLocalRow(name);
            first = first ? first : row;
        }
        f.armUpload(first);
    }

private slots:
    void initTestCase() { TOVO_REQUIRE_SERVER(m_server); }

    void uploadsExactBytes_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<QString>("kb");
        QTest::newRow("empty: one write of 0 bytes") << qsizetype(0) << QStringLiteral("0.0 Kb");
        QTest::newRow("1024+1024") << qsizetype(2048) << QStringLiteral("2.0 Kb");
        QTest::newRow("1024+1024+452") << qsizetype(2500) << QStringLiteral("2.4 Kb");
        QTest::newRow("many chunks") << qsizetype(500 * 1024 + 1) << QStringLiteral("500.0 Kb");
    }
    void uploadsExactBytes() {
        QFETCH(qsizetype, size);
        QFETCH(QString, kb);
        const QByteArray content = TransferFixture::RandomBytes(size);
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.writeLocal(QStringLiteral("up.bin"), content);
        f.armUpload(f.addLocalRow(QStringLiteral("up.bin")));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture2_Click();
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QVERIFY(QFileInfo::exists(m_server.path(QStringLiteral("up.bin"))));
        QCOMPARE(m_server.readFile(QStringLiteral("up.bin")), content);
        QCOMPARE(f.form().Label16->text(), kb);
        QCOMPARE(f.form().Label11->text(), kb); // an upload shows the total in Kb
        QCOMPARE(f.form().Label9->text(), QStringLiteral("Bytes Sent:"));
        QVERIFY(!f.form().cmdCancel->isVisible());
        QCOMPARE(f.form().List1->count(), 0);
        QVERIFY(!StopResize.HookInstalled);
        // The remote pane shows the server's directory as listed anew.
        bool listed = false;
        for (int row = 1; row <= f.form().lstRemoteFiles->Count(); ++row)
            listed = listed || ListView::Text(f.form().lstRemoteFiles->Item(row)) == QLatin1String("up.bin");
        QVERIFY(listed);
    }

    void queueShowsEveryFileWithItsBar() {
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        QTreeWidgetItem* first = nullptr;
        for (int i = 1; i <= 3; ++i) {
            const QString name = QStringLiteral("u%1.bin").arg(i);
            f.writeLocal(name, TransferFixture::RandomBytes(6000));
            QTreeWidgetItem* row = f.addLocalRow(name);
            first = first ? first : row;
        }
        f.armUpload(first);
        QMap<QString, int> fileBarMoves;
        QString caption;
        f.onPump([&] {
            if (f.form().ProgressBar1->isVisible() && f.form().ProgressBar1->value() > 0)
                ++fileBarMoves[f.form().Label15->text()];
            caption = f.form().Label13->text();
        });
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture2_Click();
        f.onPump({});
        QCOMPARE(fileBarMoves.keys(),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(caption, QStringLiteral("Uploading file: u3.bin"));
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(m_server.readFile(QStringLiteral("u%1.bin").arg(i)).size(), 6000);
    }

    void withoutALocalClickItFailsAndStaysUsable() {
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        f.writeLocal(QStringLiteral("again.txt"), "again");
        QTreeWidgetItem* row = f.addLocalRow(QStringLiteral("again.txt"));
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture2_Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Failed")});
        QCOMPARE(boxes.calls().first().style, int(vbOKOnly));
        QVERIFY(!QFileInfo::exists(m_server.path(QStringLiteral("again.txt"))));
        QVERIFY(!f.form().cmdCancel->isVisible());

        boxes.clear();
        f.armUpload(row);
        boxes.answerNext(vbOK);
        f.form().Picture2_Click();
        QCOMPARE(boxes.texts(), QStringList{m_completed});
        QCOMPARE(m_server.readFile(QStringLiteral("again.txt")), QByteArray("again"));
    }

    void withoutAConnectionNothingHappens() {
        TransferFixture f;
        f.writeLocal(QStringLiteral("nowhere.txt"), "x");
        f.armUpload(f.addLocalRow(QStringLiteral("nowhere.txt")));
        MsgBoxRecorder boxes;
        f.form().Picture2_Click();
        QVERIFY(boxes.calls().isEmpty());
        QVERIFY(!f.form().LocalItemSelected);
    }

    void cancelKeepsEarlierFilesAndEndsQuietly() {
        TransferFixture f;
        QVERIFY(f.connect(m_server.port()));
        const QByteArray first = TransferFixture::RandomBytes(2000);
        f.writeLocal(QStringLiteral("k1.bin"), first);
        f.writeLocal(QStringLiteral("k2.bin"), TransferFixture::RandomBytes(400 * 1024));
        f.writeLocal(QStringLiteral("k3.bin"), TransferFixture::RandomBytes(100));
        QTreeWidgetItem* row = f.addLocalRow(QStringLiteral("k1.bin"));
        f.addLocalRow(QStringLiteral("k2.bin"));
        f.addLocalRow(QStringLiteral("k3.bin"));
        f.armUpload(row);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbYes);
        bool cancelled = false;
        f.onPump([&] {
            if (!cancelled && f.form().Label15->text() == QLatin1String("2")) {
                cancelled = true;
                f.form().cmdCancel_Click();
            }
        });
        f.form().Picture2_Click();
        f.onPump({});
        QVERIFY(cancelled);
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("Are you sure you want to cancel file transfer?")});
        QCOMPARE(m_server.readFile(QStringLiteral("k1.bin")), first);
        QVERIFY(m_server.readFile(QStringLiteral("k2.bin")).size() < 400 * 1024);
        QVERIFY(!QFileInfo::exists(m_server.path(QStringLiteral("k3.bin"))));
        QVERIFY(!f.form().cmdCancel->isVisible());
        QCOMPARE(f.form().StatusBar1->PanelText(3), QString());
        QVERIFY(!StopResize.HookInstalled);
    }

    // Server refusals that need a scripted server.
    void refusalEndsTheQueueWithOneMessage_data() {
        QTest::addColumn<bool>("refuseCreate");
        QTest::addColumn<QString>("message");
        QTest::newRow("write refused on the first of three") << false << QStringLiteral("Error!");
        QTest::newRow("file cannot be created") << true << QStringLiteral("Request Failed!");
    }
    void refusalEndsTheQueueWithOneMessage() {
        QFETCH(bool, refuseCreate);
        QFETCH(QString, message);
        ScriptedFtpServer server;
        if (refuseCreate)
            server.on("STOR", Reply("553 Not allowed"));
        else
            server.on("STOR", Transfer({}, "552 Requested file action aborted"));
        QVERIFY(server.start());
        TransferFixture f;
        QVERIFY(f.connect(server.port()));
        queueThree(f);
        MsgBoxRecorder boxes;
        boxes.answerNext(vbOK);
        f.form().Picture2_Click();
        QCOMPARE(boxes.texts(), QStringList{message});
        QCOMPARE(boxes.calls().first().style, vbOKOnly | vbExclamation);
        QCOMPARE(countOf(server.commands(), "STOR"), 1);
        QVERIFY(!f.form().cmdCancel->isVisible());
        QVERIFY(!StopResize.HookInstalled);
    }
};

QTEST_MAIN(UploadTest)
#include "Upload_test.moc"

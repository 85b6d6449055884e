#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "transfer/StopResize.h"

#include <QFileInfo>
#include <QPushButton>
#include <QtTest>

// A large transfer pumps the message loop while it runs, far less often than it moves chunks, and a
// Cancel clicked in one of those pumps stops it before its next chunk.
class ChunkPumpTest : public QObject {
    Q_OBJECT
    FtpTestServer m_server;
    static constexpr qint64 Size = 64LL << 20;

private slots:
    void initTestCase() { TOVO_REQUIRE_SERVER(m_server); }

    void pumpsWhileMovingAndCancelsAtOnce_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("download") << false << false;
        QTest::newRow("download cancelled") << false << true;
        QTest::newRow("upload") << true << false;
        QTest::newRow("upload cancelled") << true << true;
    }
    void pumpsWhileMovingAndCancelsAtOnce() {
        QFETCH(bool, upload);
        QFETCH(bool, cancel);
        const QString name = QStringLiteral("%1.img").arg(upload ? "up" : "down");
        MainWindowHarness f;
        WriteSizedFile(upload ? f.localDir() + name : m_server.path(name), Size);
        f.connectTo(m_server.port());
        f.listLocal();
        MsgBoxRecorder boxes;
        boxes.answerNext(cancel ? vbYes : vbOK);
        int pumps = 0;
        f.onPump([&] {
            if (f.form().TransferHandle != 0 && ++pumps == 2 && cancel)
                f.form().cmdCancel_Click();
        });
        if (upload) {
            f.clickLocal({name});
            f.form().Picture2_Click();
        } else {
            f.clickRemote({name});
            f.form().Picture1_Click();
        }
        f.onPump({});
        QCOMPARE(boxes.calls().size(), 1); // the question or the completion; no failure
        const qint64 arrived = QFileInfo(upload ? m_server.path(name) : f.localDir() + name).size();
        QCOMPARE(arrived == Size, !cancel);
        QVERIFY(cancel ? f.localEntries().size() == int(upload) : pumps > 2);
        QVERIFY2(pumps < Size / 1024 / 4, qPrintable(QString::number(pumps)));
        QVERIFY(!f.form().cmdCancel->isVisible() && !StopResize.HookInstalled && !f.form().CancelRequested);
    }
};

QTEST_MAIN(ChunkPumpTest)
#include "ChunkPump_test.moc"

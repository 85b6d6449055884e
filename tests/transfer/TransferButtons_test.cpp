// The download and upload buttons light up under the pointer only when they could act, hold the mouse
// while lit, and give it back when the pointer leaves across any edge.
#include "app/PictureBox.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

class TransferButtonsTest : public QObject {
    Q_OBJECT
    FtpTestServer m_server;

    // The shipped icons beside the program, as an installation has them.
    static void installIcons() {
        const QDir shipped(QStringLiteral(TOVO_TEST_SUPPORT_DIR "/../../resources/beside"));
        for (const QString& name : shipped.entryList(QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath(name), AppPath() + QLatin1Char('/') + name));
    }

private slots:
    void initTestCase() {
        TOVO_REQUIRE_SERVER(m_server);
        m_server.writeFile(QStringLiteral("a.txt"), "a");
        m_server.makeDir(QStringLiteral("pub"));
    }

    void downloadButton_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("localUsedLast");
        QTest::addColumn<bool>("lit");
        QTest::newRow("file") << "a.txt" << false << true;
        QTest::newRow("folder") << "pub" << false << false;
        QTest::newRow("local pane used last") << "a.txt" << true << false;
    }
    void downloadButton() {
        QFETCH(QString, row);
        QFETCH(bool, localUsedLast);
        QFETCH(bool, lit);
        MainWindowHarness window;
        installIcons();
        frmMain& form = window.form();
        form.LoadNormalButtonImages();
        window.connectTo(m_server.port());
        window.clickRemote({row});
        if (localUsedLast)
            form.LastFocus = QStringLiteral("listview1");
        const QString normal = form.Picture1->PicturePath();
        QVERIFY(!normal.isEmpty());
        for (const QPointF leave : {QPointF(-1, 30), QPointF(30, -1), QPointF(1e9, 30), QPointF(30, 1e9)}) {
            form.Picture1_MouseMove(0, 0, 15, 15);
            QCOMPARE(form.Picture1->PicturePath() != normal, lit);
            QCOMPARE(form.Picture1->HasCapture(), lit);
            form.Picture1_MouseMove(0, 0, form.Picture1->WidthTwips(), 0); // still on the edge
            QCOMPARE(form.Picture1->HasCapture(), lit);
            form.Picture1_MouseMove(0, 0, leave.x(), leave.y());
            QCOMPARE(form.Picture1->PicturePath(), normal);
            QVERIFY(!form.Picture1->HasCapture());
        }
    }

    void uploadButtonNeedsAConnection() {
        MainWindowHarness window;
        installIcons();
        frmMain& form = window.form();
        form.LoadNormalButtonImages();
        QVERIFY(WriteFileBytes(window.localDir() + QStringLiteral("l.txt"), "x"));
        window.listLocal();
        window.clickLocal({QStringLiteral("l.txt")});
        const QString normal = form.Picture2->PicturePath();
        form.Picture2_MouseMove(0, 0, 30, 30);
        QCOMPARE(form.Picture2->PicturePath(), normal);
        QVERIFY(!form.Picture2->HasCapture());
        form.lblDirectory->setText(QStringLiteral("/"));
        form.Picture2_MouseMove(0, 0, 30, 30);
        QVERIFY(form.Picture2->PicturePath() != normal);
        QVERIFY(form.Picture2->HasCapture());
        // A click takes the mouse again; leaving gives it back for the window.
        form.Picture2_MouseUp(1, 0, 10, 10);
        QVERIFY(form.Picture2->HasCapture());
        form.Picture2_MouseMove(0, 0, -5, 10);
        QVERIFY(!form.Picture2->HasCapture());
    }
};

QTEST_MAIN(TransferButtonsTest)
#include "TransferButtons_test.moc"

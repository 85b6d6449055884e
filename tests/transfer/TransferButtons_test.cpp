#include "app/ListView.h"
#include "app/PictureBox.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/TransferFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QtTest>

// The download and upload buttons light up while the pointer is over them, only when they could act.
class TransferButtonsTest : public QObject {
    Q_OBJECT

    static QString besideFolder() { return QStringLiteral(TOVO_TEST_SUPPORT_DIR "/../../resources/beside"); }

    // Copies the shipped icons into the application folder, under the names given.
    static void installIcons(const QMap<QString, QString>& names) {
        for (auto it = names.begin(); it != names.end(); ++it)
            QVERIFY(QFile::copy(besideFolder() + QLatin1Char('/') + it.key(),
                                AppPath() + QLatin1Char('/') + it.value()));
    }
    static void installAllIcons() {
        installIcons(
            {{"12.ico", "12.ico"}, {"1.ICO", "1.ICO"}, {"last2.ico", "last2.ico"}, {"last.ico", "last.ico"}});
    }
    static QString shown(const PictureBox* box) { return QFileInfo(box->PicturePath()).fileName(); }

    static void armRemote(TransferFixture& f, const QString& name, int icon, const QString& focus) {
        f.form().lstRemoteFiles->SetSelectedItem(f.addRemoteRow(name, 10, icon));
        f.form().LastFocus = focus;
    }

private slots:
    void shippedIconsLoad() {
        for (const char* name : {"12.ico", "1.ICO", "last2.ico", "last.ico"}) {
            PictureBox box;
            box.resize(17, 17);
            QVERIFY2(box.LoadPicture(besideFolder() + QLatin1Char('/') + QLatin1String(name)), name);
        }
    }

    void downloadButtonLightsOnlyForAFileInTheRemotePane_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("lit");
        QTest::newRow("file, remote focus") << "a.txt" << 3 << "remote" << true;
        QTest::newRow("folder") << "pub" << 12 << "remote" << false;
        QTest::newRow("parent row") << ".^." << 19 << "remote" << false;
        QTest::newRow("local pane focused last") << "a.txt" << 3 << "listview1" << false;
    }
    void downloadButtonLightsOnlyForAFileInTheRemotePane() {
        QFETCH(QString, name);
        QFETCH(int, icon);
        QFETCH(QString, focus);
        QFETCH(bool, lit);
        TransferFixture f;
        installAllIcons();
        f.form().LoadNormalButtonImages();
        armRemote(f, name, icon, focus);
        f.form().Picture1_MouseMove(0, 0, 30, 30);
        QCOMPARE(shown(f.form().Picture1), lit ? QStringLiteral("1.ICO") : QStringLiteral("12.ico"));
        QCOMPARE(f.form().Picture1->HasCapture(), lit);
        PictureBox::ReleaseCapture();
    }

    void uploadButtonNeedsAConnection() {
        TransferFixture f;
        installAllIcons();
        f.form().LoadNormalButtonImages();
        f.writeLocal(QStringLiteral("l.txt"), "x");
        f.form().ListView1->SetSelectedItem(f.addLocalRow(QStringLiteral("l.txt")));
        f.form().LastFocus = QStringLiteral("listview1");
        f.form().Picture2_MouseMove(0, 0, 30, 30);
        QCOMPARE(shown(f.form().Picture2), QStringLiteral("last2.ico"));
        QVERIFY(!f.form().Picture2->HasCapture());
        f.form().lblDirectory->setText(QStringLiteral("/"));
        f.form().Picture2_MouseMove(0, 0, 30, 30);
        QCOMPARE(shown(f.form().Picture2), QStringLiteral("last.ico"));
        QVERIFY(f.form().Picture2->HasCapture());
        PictureBox::ReleaseCapture();
    }

    void leavingAcrossAnyEdgeRestoresTheNormalImage_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("inside");
        QTest::newRow("left") << -1.0 << 30.0 << false;
        QTest::newRow("top") << 30.0 << -1.0 << false;
        QTest::newRow("right") << 1.0e9 << 30.0 << false;
        QTest::newRow("bottom") << 30.0 << 1.0e9 << false;
        QTest::newRow("on the right edge") << -2.0 << -2.0 << true; // replaced by the box's width below
        QTest::newRow("origin") << 0.0 << 0.0 << true;
    }
    void leavingAcrossAnyEdgeRestoresTheNormalImage() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(bool, inside);
        TransferFixture f;
        installAllIcons();
        armRemote(f, QStringLiteral("a.txt"), 3, QStringLiteral("remote"));
        PictureBox* box = f.form().Picture1;
        f.form().Picture1_MouseMove(0, 0, 15, 15);
        QVERIFY(box->HasCapture());
        if (x == -2.0) {
            x = box->WidthTwips();
            y = box->HeightTwips();
        }
        f.form().Picture1_MouseMove(0, 0, x, y);
        QCOMPARE(box->HasCapture(), inside);
        QCOMPARE(shown(box), inside ? QStringLiteral("1.ICO") : QStringLiteral("12.ico"));
        PictureBox::ReleaseCapture();
    }

    void mouseUpRetakesTheCaptureAndLeavingGivesItBack() {
        TransferFixture f;
        installAllIcons();
        PictureBox* box = f.form().Picture2;
        f.form().Picture2_MouseUp(1, 0, 10, 10);
        QVERIFY(box->HasCapture());
        // The upload cannot act (no connection), yet leaving must free the mouse for the window.
        f.form().Picture2_MouseMove(0, 0, -5, 10);
        QVERIFY(!box->HasCapture());
    }

    void namesMatchWithoutRegardToCaseAndMissingFilesChangeNothing() {
        TransferFixture f;
        installIcons({{"12.ico", "12.ICO"}, {"1.ICO", "1.ico"}});
        f.form().LoadNormalButtonImages();
        QCOMPARE(shown(f.form().Picture1), QStringLiteral("12.ICO"));
        QVERIFY(f.form().Picture2->PicturePath().isEmpty()); // upload icons missing: image unchanged
        armRemote(f, QStringLiteral("a.txt"), 3, QStringLiteral("remote"));
        f.form().Picture1_MouseMove(0, 0, 15, 15);
        QCOMPARE(shown(f.form().Picture1), QStringLiteral("1.ico"));
        PictureBox::ReleaseCapture();
    }
};

QTEST_MAIN(TransferButtonsTest)
#include "TransferButtons_test.moc"

#include "app/DirListBox.h"
#include "app/ListView.h"
#include "app/PictureBox.h"
#include "app/StatusBar.h"
#include "app/SuperSizer.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/TransferFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

// The real main window resizing: minimum size, proportional scaling, the folder list's height over
// a maximise, and the layouts around a transfer.
class LayoutsTest : public QObject {
    Q_OBJECT

    static bool waitForState(frmMain& form, bool maximized) {
        return QTest::qWaitFor([&] { return form.isMaximized() == maximized; }, 2000);
    }

private slots:
    void tooSmallSnapsBackToTheMinimum() {
        TransferFixture f;
        frmMain& form = f.form();
        form.resize(200, 150);
        // The minimum in whole pixels: not smaller, and less than a pixel larger.
        QVERIFY(form.FormWidth() >= 7860 && form.FormWidth() < 7860 + ScreenTwipsPerPixelX());
        QVERIFY(form.FormHeight() >= 6500 && form.FormHeight() < 6500 + ScreenTwipsPerPixelY());
        // The controls were scaled to the corrected size only: a second pass finds nothing to do.
        const QRect remote = form.lstRemoteFiles->geometry();
        form.Form_Resize();
        QCOMPARE(form.lstRemoteFiles->geometry(), remote);
    }

    void widerWindowScalesControls() {
        TransferFixture f;
        frmMain& form = f.form();
        const QRect remote = form.lstRemoteFiles->geometry();
        const QRect status = form.StatusBar1->geometry();
        form.resize(form.width() * 2, form.height());
        QVERIFY(qAbs(form.lstRemoteFiles->x() - 2 * remote.x()) <= 1);
        QVERIFY(qAbs(form.lstRemoteFiles->width() - 2 * remote.width()) <= 1);
        QCOMPARE(form.lstRemoteFiles->height(), remote.height());
        // The status bar is docked, never scaled: full width at the bottom edge.
        QCOMPARE(form.StatusBar1->height(), status.height());
        QCOMPARE(form.StatusBar1->width(), form.Client->width());
        QCOMPARE(form.StatusBar1->geometry().bottom(), form.Client->height() - 1);
        // The lines run from the local list's left edge to the remote list's right edge.
        QCOMPARE(form.Line1->x(), form.ListView1->x());
    }

    void minimisedWindowIsNeitherClampedNorScaled() {
        TransferFixture f;
        frmMain& form = f.form();
        const QRect remote = form.lstRemoteFiles->geometry();
        const double oldWidth = SuperSizer.OldWidth;
        form.setWindowState(Qt::WindowMinimized);
        form.resize(100, 100);
        QCOMPARE(form.lstRemoteFiles->geometry(), remote);
        QCOMPARE(SuperSizer.OldWidth, oldWidth);
    }

    void maximiseAndRestoreReturnsDir1ToItsHeight() {
        TransferFixture f;
        frmMain& form = f.form();
        form.resize(form.width() + 30, form.height() + 45);
        const int dirHeight = form.Dir1->height();
        const QSize normal = form.size();
        form.showMaximized();
        QVERIFY(waitForState(form, true));
        QVERIFY(QTest::qWaitFor([&] { return form.size() != normal; }, 2000));
        QVERIFY(form.Dir1->height() > dirHeight);
        form.showNormal();
        QVERIFY(waitForState(form, false));
        QVERIFY(QTest::qWaitFor([&] { return form.size() == normal; }, 2000));
        QCOMPARE(form.Dir1->height(), dirHeight);
        QCOMPARE(SuperSizer.DirHeightState, 1);
    }

    void normalPanelLayoutGrowsAndReturnsToTheStartHeight() {
        TransferFixture f;
        frmMain& form = f.form();
        const QRect remote = form.lstRemoteFiles->geometry();
        const double startHeight = form.NormalHeight;
        form.resize(form.width(), form.height() + 60); // the user changed it meanwhile
        const QRect remoteAfterUser = form.lstRemoteFiles->geometry();
        QVERIFY(remoteAfterUser != remote);
        form.ShowPanelNormal();
        const double expected =
            TwipsY(form.cmdCancel->y() + form.cmdCancel->height()) + 6 * TwipsY(form.StatusBar1->height());
        QCOMPARE(form.FormHeight(), expected);
        QCOMPARE(form.lstRemoteFiles->geometry(), remoteAfterUser); // not scaled
        QVERIFY(!form.SkipNextResize);
        form.HidePanelNormal();
        QCOMPARE(form.FormHeight(), startHeight);
        QCOMPARE(form.lstRemoteFiles->geometry(), remoteAfterUser);
    }

    void maximisedPanelLayoutRoundTrip() {
        TransferFixture f;
        frmMain& form = f.form();
        form.showMaximized();
        QVERIFY(waitForState(form, true));
        QTest::qWait(50);
        const int toolbar2 = form.Toolbar2->y();
        const int toolbar1 = form.Toolbar1->y();
        const int remoteHeight = form.lstRemoteFiles->height();
        const int localHeight = form.ListView1->height();
        const QRect label16 = form.Label16->geometry();
        form.ShowPanelMaximized();
        QVERIFY(!form.Picture1->isVisible());
        QVERIFY(form.cmdCancel->isVisible());
        const int frameBottom = form.Frame1->y() + form.Frame1->height();
        QVERIFY(qAbs(form.Label13->y() - (frameBottom + form.Label13->height())) <= 1);
        QVERIFY(qAbs(form.Label16->y() - (frameBottom + 6 * form.Label16->height())) <= 1);
        QVERIFY(form.lstRemoteFiles->height() < remoteHeight);
        QVERIFY(form.Label16->y() + form.Label16->height() <= form.StatusBar1->y());
        form.HidePanelMaximized();
        QVERIFY(form.Picture1->isVisible());
        QVERIFY(form.Picture2->isVisible());
        QCOMPARE(form.Toolbar1->y(), toolbar1);
        QCOMPARE(form.Toolbar2->y(), toolbar2);
        QVERIFY(qAbs(form.lstRemoteFiles->height() - remoteHeight) <= 1);
        QVERIFY(qAbs(form.ListView1->height() - localHeight) <= 1);
        QCOMPARE(form.Label16->geometry(), label16);
        QVERIFY(!form.SkipNextResize);
    }
};

QTEST_MAIN(LayoutsTest)
#include "Layouts_test.moc"

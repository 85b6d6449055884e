// The real main window resizing: the minimum size, proportional scaling, and the two layouts with
// the transfer panel, which must give every control back when the transfer ends.
#include "app/ListView.h"
#include "app/PictureBox.h"
#include "app/StatusBar.h"
#include "app/SuperSizer.h"
#include "app/WindowLayer.h"
#include "app/frmMain.h"
#include "tests/support/MainWindowHarness.h"

#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

class LayoutsTest : public QObject {
    Q_OBJECT
private slots:
    void tooSmallSnapsBackToTheMinimum() {
        MainWindowHarness window;
        frmMain& form = window.form();
        form.resize(200, 150);
        QVERIFY(form.width() > 200 && form.height() > 150);
        // The controls were scaled to the corrected size only: a second pass finds nothing to do.
        const QRect remote = form.lstRemoteFiles->geometry();
        form.Form_Resize();
        QCOMPARE(form.lstRemoteFiles->geometry(), remote);
    }

    void widerWindowScalesControls() {
        MainWindowHarness window;
        frmMain& form = window.form();
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
        // A minimised window is neither clamped nor scaled.
        const QRect wide = form.lstRemoteFiles->geometry();
        form.setWindowState(Qt::WindowMinimized);
        form.resize(100, 100);
        QCOMPARE(form.lstRemoteFiles->geometry(), wide);
    }

    void normalPanelLayoutReturnsToTheStartHeight() {
        MainWindowHarness window;
        frmMain& form = window.form();
        const double startHeight = form.FormHeight();
        form.resize(form.width(), form.height() + 60); // the user changed it meanwhile
        const QRect remote = form.lstRemoteFiles->geometry();
        form.ShowPanelNormal();
        QVERIFY(form.cmdCancel->geometry().bottom() < form.StatusBar1->y());
        QCOMPARE(form.lstRemoteFiles->geometry(), remote); // not scaled
        form.HidePanelNormal();
        QCOMPARE(form.FormHeight(), startHeight);
        QVERIFY(!form.SkipNextResize);
    }

    void maximisedPanelLayoutRoundTrip() {
        MainWindowHarness window;
        frmMain& form = window.form();
        form.showMaximized();
        QVERIFY(QTest::qWaitFor([&] { return form.isMaximized(); }, 2000));
        QTest::qWait(50);
        const QList<QWidget*> controls{form.Toolbar1, form.Toolbar2, form.lstRemoteFiles, form.ListView1,
                                       form.Label16};
        QList<QRect> before;
        for (QWidget* control : controls)
            before.append(control->geometry());
        form.ShowPanelMaximized();
        QVERIFY(!form.Picture1->isVisible());
        QVERIFY(form.lstRemoteFiles->height() < before[2].height());
        QVERIFY(form.Label16->geometry().bottom() < form.StatusBar1->y());
        form.HidePanelMaximized();
        QVERIFY(form.Picture1->isVisible() && form.Picture2->isVisible());
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QVERIFY(qAbs(controls[i]->y() - before[i].y()) <= 1);
            QVERIFY(qAbs(controls[i]->height() - before[i].height()) <= 1);
        }
        QVERIFY(!form.SkipNextResize);
    }
};

QTEST_MAIN(LayoutsTest)
#include "Layouts_test.moc"

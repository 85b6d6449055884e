// The proportional pass as plain geometry: factors, the rule of each kind of control, and the folder
// list's height over a maximise.
#include "app/SuperSizer.h"

#include <QtTest>

Q_DECLARE_METATYPE(SizerControlKind)

namespace {
SizerControl control(SizerControlKind kind, QRectF r) {
    SizerControl c;
    c.Kind = kind;
    c.Left = r.x();
    c.Top = r.y();
    c.Width = r.width();
    c.Height = r.height();
    return c;
}
void pass(SuperSizerState& state, std::vector<SizerControl>& controls, double width, double height,
          WindowState windowState = WindowState::Normal) {
    state.NewWidth = width;
    state.NewHeight = height;
    ResizeControls(state, controls, windowState, width, height);
}
} // namespace

class SuperSizerTest : public QObject {
    Q_OBJECT
private slots:
    void factors_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<qint64>("factor");
        QTest::newRow("quarter wider") << 8000.0 << 10000.0 << qint64(2500);
        QTest::newRow("rounded to four places") << 7860.0 << 8000.0 << qint64(178);
        QTest::newRow("shrink") << 10000.0 << 8000.0 << qint64(-2000);
        QTest::newRow("unchanged") << 8000.0 << 8000.0 << qint64(0);
        QTest::newRow("far beyond 16 bits") << 40000.0 << 400000.0 << qint64(90000);
    }
    void factors() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(qint64, factor);
        QCOMPARE(SizeFactor(to - from, from), factor);
    }

    // A window of 8000 x 6000 twips grows by a quarter each way.
    void controlRules_data() {
        QTest::addColumn<SizerControlKind>("kind");
        QTest::addColumn<QRectF>("before");
        QTest::addColumn<QRectF>("after");
        QTest::newRow("any other: all four")
            << SizerControlKind::Other << QRectF(3120, 1200, 3135, 600) << QRectF(3900, 1500, 3918.75, 750);
        QTest::newRow("toolbar: same width, half the move")
            << SizerControlKind::Toolbar << QRectF(3120, 1200, 675, 600) << QRectF(3984.375, 1500, 675, 750);
        QTest::newRow("drive list: same height")
            << SizerControlKind::DriveList << QRectF(0, 480, 3135, 315) << QRectF(0, 600, 3918.75, 315);
        QTest::newRow("skipped: untouched")
            << SizerControlKind::Skipped << QRectF(0, 5580, 7590, 255) << QRectF(0, 5580, 7590, 255);
        QTest::newRow("huge values") << SizerControlKind::Other << QRectF(3e6, 3e6, 3e6, 3e6)
                                     << QRectF(3.75e6, 3.75e6, 3.75e6, 3.75e6);
    }
    void controlRules() {
        QFETCH(SizerControlKind, kind);
        QFETCH(QRectF, before);
        QFETCH(QRectF, after);
        SuperSizerState state;
        state.OldWidth = 8000;
        state.OldHeight = 6000;
        std::vector<SizerControl> controls{control(kind, before), control(SizerControlKind::Line, {})};
        controls[1].X1 = 120;
        controls[1].X2 = 8280;
        controls[1].Y1 = controls[1].Y2 = 360;
        pass(state, controls, 10000, 7500);
        QCOMPARE(QRectF(controls[0].Left, controls[0].Top, controls[0].Width, controls[0].Height), after);
        // A line: X1 stays, X2 and both Ys scale.
        QCOMPARE(QRectF(controls[1].X1, controls[1].Y1, controls[1].X2, controls[1].Y2),
                 QRectF(120, 450, 10350, 450));
        QCOMPARE(state.OldWidth, 10000.0);
        QCOMPARE(state.OldHeight, 7500.0);
    }

    void maximiseAndRestoreGivesDir1ItsHeightBack() {
        SuperSizerState state;
        state.OldWidth = 8000;
        state.OldHeight = 6500;
        std::vector<SizerControl> controls = {
            control(SizerControlKind::FolderList, QRectF(0, 840, 3135, 1665))};
        SizerControl& dir = controls[0];
        pass(state, controls, 8000, 6500);
        QVERIFY(!CompleteDirHeight(state, WindowState::Normal, dir));
        QCOMPARE(dir.Height, 1665.0);
        pass(state, controls, 12000, 9000, WindowState::Maximized);
        QVERIFY(!CompleteDirHeight(state, WindowState::Maximized, dir));
        QVERIFY(dir.Height > 1665.0);
        pass(state, controls, 8000, 6500, WindowState::Normal);
        QVERIFY(CompleteDirHeight(state, WindowState::Normal, dir));
        QCOMPARE(dir.Height, 1665.0);
        // Tracking goes on normally afterwards.
        pass(state, controls, 8000, 13000);
        QCOMPARE(dir.Height, 3330.0);
        QCOMPARE(state.SavedDirHeight, 3330.0);
    }
};

QTEST_GUILESS_MAIN(SuperSizerTest)
#include "SuperSizer_test.moc"

#include "app/SuperSizer.h"

#include <QtTest>

// The proportional pass as plain geometry.
class SuperSizerTest : public QObject {
    Q_OBJECT

    static SizerControl control(SizerControlKind kind, double left, double top, double width, double height) {
        SizerControl c;
        c.Kind = kind;
        c.Left = left;
        c.Top = top;
        c.Width = width;
        c.Height = height;
        return c;
    }

    static void pass(SuperSizerState& state, std::vector<SizerControl>& controls, double width, double height,
                     WindowState windowState = WindowState::Normal) {
        state.NewWidth = width;
        state.NewHeight = height;
        ResizeControls(state, controls, windowState, width, height);
    }

private slots:
    void factorsAreRoundedToFourPlaces_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<qint64>("factor");
        QTest::newRow("quarter wider") << 8000.0 << 10000.0 << qint64(2500);
        QTest::newRow("140 / 7860") << 7860.0 << 8000.0 << qint64(178);
        QTest::newRow("shrink") << 10000.0 << 8000.0 << qint64(-2000);
        QTest::newRow("unchanged") << 8000.0 << 8000.0 << qint64(0);
        QTest::newRow("far beyond 16 bits") << 40000.0 << 400000.0 << qint64(90000);
    }
    void factorsAreRoundedToFourPlaces() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(qint64, factor);
        QCOMPARE(SizeFactor(to - from, from), factor);
    }

    void controlsFollowTheirRules() {
        SuperSizerState state;
        state.OldWidth = 8000;
        state.OldHeight = 6000;
        std::vector<SizerControl> controls = {
            control(SizerControlKind::Other, 3120, 1200, 3135, 600),
            control(SizerControlKind::Toolbar, 3120, 1200, 675, 600),
            control(SizerControlKind::DriveList, 0, 480, 3135, 315),
            control(SizerControlKind::Skipped, 0, 5580, 7590, 255),
            control(SizerControlKind::Line, 0, 0, 0, 0),
        };
        controls[4].X1 = 120;
        controls[4].X2 = 8280;
        controls[4].Y1 = controls[4].Y2 = 360;
        pass(state, controls, 10000, 7500);
        QCOMPARE(state.WidthFactor, qint64(2500));
        QCOMPARE(state.HeightFactor, qint64(2500));
        // Any other control: all four values.
        QCOMPARE(controls[0].Left, 3900.0);
        QCOMPARE(controls[0].Width, 3918.75);
        QCOMPARE(controls[0].Top, 1500.0);
        QCOMPARE(controls[0].Height, 750.0);
        // A toolbar keeps its width and moves by half of what it would have gained.
        QCOMPARE(controls[1].Left, 3984.375);
        QCOMPARE(controls[1].Width, 675.0);
        QCOMPARE(controls[1].Height, 750.0);
        // The drive list keeps its height.
        QCOMPARE(controls[2].Width, 3918.75);
        QCOMPARE(controls[2].Top, 600.0);
        QCOMPARE(controls[2].Height, 315.0);
        // The status bar is not touched.
        QCOMPARE(controls[3].Top, 5580.0);
        QCOMPARE(controls[3].Width, 7590.0);
        // A line: X1 stays, X2 and both Ys scale.
        QCOMPARE(controls[4].X1, 120.0);
        QCOMPARE(controls[4].X2, 10350.0);
        QCOMPARE(controls[4].Y1, 450.0);
        QCOMPARE(controls[4].Y2, 450.0);
        QCOMPARE(state.OldWidth, 10000.0);
        QCOMPARE(state.OldHeight, 7500.0);
    }

    void unchangedSizeMovesNothingButRecordsDirHeight() {
        SuperSizerState state;
        state.OldWidth = 8000;
        state.OldHeight = 6000;
        std::vector<SizerControl> controls = {control(SizerControlKind::FolderList, 0, 840, 3135, 1665),
                                              control(SizerControlKind::Other, 10, 20, 30, 40)};
        pass(state, controls, 8000, 6000);
        QCOMPARE(controls[0].Height, 1665.0);
        QCOMPARE(controls[1].Left, 10.0);
        QCOMPARE(controls[1].Height, 40.0);
        QCOMPARE(state.SavedDirHeight, 1665.0);
        QCOMPARE(state.DirHeightState, 1);
    }

    void maximiseAndRestoreGivesDir1ItsHeightBack() {
        SuperSizerState state;
        state.OldWidth = 8000;
        state.OldHeight = 6500;
        std::vector<SizerControl> controls = {control(SizerControlKind::FolderList, 0, 840, 3135, 1665)};
        SizerControl& dir = controls[0];
        pass(state, controls, 8000, 6500);
        QVERIFY(!CompleteDirHeight(state, WindowState::Normal, dir));
        const double before = dir.Height;

        pass(state, controls, 12000, 9000, WindowState::Maximized);
        QVERIFY(!CompleteDirHeight(state, WindowState::Maximized, dir));
        QCOMPARE(state.DirHeightState, 3);
        QVERIFY(dir.Height > before);

        pass(state, controls, 8000, 6500, WindowState::Normal);
        QVERIFY(CompleteDirHeight(state, WindowState::Normal, dir));
        QCOMPARE(dir.Height, before);
        QCOMPARE(state.DirHeightState, 1);

        // Tracking goes on normally afterwards.
        pass(state, controls, 8000, 13000);
        QCOMPARE(dir.Height, before * 2);
        QCOMPARE(state.SavedDirHeight, before * 2);
    }

    void hugeWindowsScaleWithoutOverflow() {
        SuperSizerState state;
        state.OldWidth = 30000;
        state.OldHeight = 30000;
        std::vector<SizerControl> controls = {control(SizerControlKind::Other, 30000, 30000, 30000, 30000)};
        pass(state, controls, 120000, 90000);
        QCOMPARE(controls[0].Left, 120000.0);
        QCOMPARE(controls[0].Height, 90000.0);
        QCOMPARE(state.OldWidth, 120000.0);
    }

    void resetTakesTheWindowAsBase() {
        SuperSizer.DirHeightState = 3;
        ResetSuperSizer(7590.4, 6500.6);
        QCOMPARE(SuperSizer.OldWidth, 7590.0);
        QCOMPARE(SuperSizer.OldHeight, 6501.0);
        QCOMPARE(SuperSizer.DirHeightState, 1);
    }
};

QTEST_GUILESS_MAIN(SuperSizerTest)
#include "SuperSizer_test.moc"

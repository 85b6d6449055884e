// The proportional pass as plain geometry: factors, each kind's rule, the folder list over a maximise.
#include "app/SuperSizer.h"

#include <QtTest>

namespace {
SizerControl Control(SizerControlKind kind, QRectF r) {
    return {"", kind, r.x(), r.y(), r.width(), r.height()};
}
void Pass(SuperSizerState& state, std::vector<SizerControl>& controls, double width, double height,
          WindowState windowState = WindowState::Normal) {
    state.NewWidth = width;
    state.NewHeight = height;
    ResizeControls(state, controls, windowState, width, height);
}
} // namespace

class SuperSizerTest : public QObject {
    Q_OBJECT
private slots:
    // A window of 8000 x 6000 twips grows by a quarter each way; a line keeps X1.
    void controlRules() {
        using K = SizerControlKind;
        for (const auto& [kind, before, after] :
             {std::tuple{K::Other, QRectF(3120, 1200, 3135, 600), QRectF(3900, 1500, 3918.75, 750)},
              {K::Toolbar, QRectF(3120, 1200, 675, 600), QRectF(3984.375, 1500, 675, 750)},
              {K::DriveList, QRectF(0, 480, 3135, 315), QRectF(0, 600, 3918.75, 315)},
              {K::Skipped, QRectF(0, 5580, 7590, 255), QRectF(0, 5580, 7590, 255)},
              {K::Other, QRectF(3e6, 3e6, 3e6, 3e6), QRectF(3.75e6, 3.75e6, 3.75e6, 3.75e6)}}) {
            SuperSizerState state{8000, 6000};
            std::vector<SizerControl> controls{Control(kind, before), Control(K::Line, {})};
            SizerControl& line = controls[1];
            line.X1 = 120;
            line.X2 = 8280;
            line.Y1 = line.Y2 = 360;
            Pass(state, controls, 10000, 7500);
            QCOMPARE(QRectF(controls[0].Left, controls[0].Top, controls[0].Width, controls[0].Height), after);
            QCOMPARE(QRectF(line.X1, line.Y1, line.X2, line.Y2), QRectF(120, 450, 10350, 450));
            QVERIFY(state.OldWidth == 10000 && state.OldHeight == 7500);
        }
    }

    void maximiseAndRestoreGivesDir1ItsHeightBack() {
        SuperSizerState state{8000, 6500};
        std::vector<SizerControl> controls{Control(SizerControlKind::FolderList, QRectF(0, 840, 3135, 1665))};
        SizerControl& dir = controls[0];
        Pass(state, controls, 8000, 6500);
        QVERIFY(!CompleteDirHeight(state, WindowState::Normal, dir));
        Pass(state, controls, 12000, 9000, WindowState::Maximized);
        QVERIFY(!CompleteDirHeight(state, WindowState::Maximized, dir) && dir.Height > 1665.0);
        Pass(state, controls, 8000, 6500, WindowState::Normal);
        QVERIFY(CompleteDirHeight(state, WindowState::Normal, dir));
        QCOMPARE(dir.Height, 1665.0);
        Pass(state, controls, 8000, 13000); // tracking goes on afterwards
        QVERIFY(dir.Height == 3330.0 && state.SavedDirHeight == 3330.0);
    }
};

QTEST_GUILESS_MAIN(SuperSizerTest)
#include "SuperSizer_test.moc"

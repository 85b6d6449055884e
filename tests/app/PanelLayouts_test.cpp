#include "app/PanelLayouts.h"

#include <QtTest>

// The layouts around a transfer, on the design arrangement of the main window (twips).
class PanelLayoutsTest : public QObject {
    Q_OBJECT

    static ControlRects design() {
        return {
            {"lstRemoteFiles", {3840, 720, 3765, 4455}},
            {"ListView1", {0, 2520, 3135, 2655}},
            {"Frame1", {0, 5160, 8415, 375}},
            {"optAuto", {4440, 120, 735, 195}},
            {"optASCII", {5280, 120, 735, 195}},
            {"optBinary", {6240, 120, 735, 195}},
            {"Toolbar1", {3120, 1080, 675, 600}},
            {"StatusBar1", {0, 5580, 7590, 255}},
            {"Label13", {2400, 5760, 3135, 255}},
            {"ProgressBar1", {2400, 6120, 3615, 255}},
            {"Label8", {3000, 6480, 1575, 255}},
            {"Label15", {4920, 6480, 90, 255}},
            {"Label14", {5040, 6480, 615, 255}},
            {"ProgressBar2", {2400, 6720, 3615, 255}},
            {"cmdCancel", {6240, 6720, 1215, 255}},
            {"Label9", {1680, 7080, 1455, 255}},
            {"Label10", {3480, 7080, 1095, 255}},
            {"Label5", {4920, 7080, 1335, 255}},
            {"Label16", {1680, 7320, 1215, 255}},
            {"Label11", {3480, 7320, 1215, 255}},
            {"lbSpeed", {4920, 7320, 1215, 255}},
            {"Label12", {9960, 6720, 615, 255}},
        };
    }

private slots:
    void normalLayoutUncoversThePanel() {
        QCOMPARE(PanelNormalHeight(design()), 8505.0); // 6720 + 255 + 6 × 255
    }

    void maximisedRowsStackUnderTheFrame_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows");
        QTest::newRow("Label13") << "Label13" << 1;
        QTest::newRow("ProgressBar1") << "ProgressBar1" << 2;
        for (const char* name : {"Label8", "Label15", "Label14"})
            QTest::newRow(name) << name << 3;
        QTest::newRow("ProgressBar2") << "ProgressBar2" << 4;
        for (const char* name : {"Label9", "Label10", "Label5", "cmdCancel"})
            QTest::newRow(name) << name << 5;
        for (const char* name : {"Label16", "Label11", "lbSpeed"})
            QTest::newRow(name) << name << 6;
    }
    void maximisedRowsStackUnderTheFrame() {
        QFETCH(QString, name);
        QFETCH(int, rows);
        ControlRects rects = design();
        PanelLayoutState state;
        LayoutShowPanelMaximized(rects, state, 4455);
        const ControlRect& frame = rects["Frame1"];
        const ControlRect& control = rects[name.toStdString()];
        QCOMPARE(control.Top, frame.Top + frame.Height + rows * control.Height);
        QCOMPARE(control.Left, design()[name.toStdString()].Left);
    }

    void maximisedShowShortensListsAndMovesFrameAndToolbar() {
        ControlRects rects = design();
        PanelLayoutState state;
        // The remote list has grown by half since start-up (a maximised window).
        rects["lstRemoteFiles"].Height = 6682.5;
        LayoutShowPanelMaximized(rects, state, 4455);
        QCOMPARE(state.PanelHeight, 1020.0);
        QCOMPARE(state.RemoteListGain, 465.0);
        QCOMPARE(state.LocalListGain, 465.0);
        QCOMPARE(rects["lstRemoteFiles"].Height, 6682.5 - 1020 - 465);
        QCOMPARE(rects["ListView1"].Height, 2655.0 - 1020 - 465);
        // (5662.5 − 4455) / 4455 = 0.27104… held as 0.2710; 0.2710 × 5160 = 1398.36 → 1398
        QCOMPARE(state.RemoteHeightFactor, 0.271);
        QCOMPARE(state.Toolbar1Shift, 1398.0);
        QCOMPARE(rects["Toolbar1"].Top, 1080.0 - 1398);
        QCOMPARE(rects["Frame1"].Top, 720 + rects["lstRemoteFiles"].Height - 15);
        for (const char* option : {"optAuto", "optASCII", "optBinary"})
            QCOMPARE(rects[option].Top, 125.0);
        QCOMPARE(rects["Label12"].Top, 6720.0); // not one of the stacked rows
    }

    void maximisedHideGivesEverythingBack() {
        ControlRects rects = design();
        rects["lstRemoteFiles"].Height = 6682.5;
        rects["ListView1"].Height = 4000;
        const ControlRects before = rects;
        PanelLayoutState state;
        LayoutShowPanelMaximized(rects, state, 4455);
        LayoutHidePanelMaximized(rects, state);
        QCOMPARE(rects["lstRemoteFiles"].Height, 6682.5);
        QCOMPARE(rects["ListView1"].Height, 4000.0);
        QCOMPARE(rects["Toolbar1"].Top, 1080.0);
        QCOMPARE(rects["Frame1"].Top, 720 + 6682.5 - 15);
        // The panel goes back to its own places, not above the frame where it would cover the lists
        // in a later transfer.
        for (const char* name : TransferPanelControls) {
            QCOMPARE(rects[name].Top, before.at(name).Top);
            QCOMPARE(rects[name].Left, before.at(name).Left);
        }
    }
};

QTEST_GUILESS_MAIN(PanelLayoutsTest)
#include "PanelLayouts_test.moc"
